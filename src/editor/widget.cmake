# sources of the widget part of src/editor

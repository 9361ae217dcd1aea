# sources of the core part of src/editor

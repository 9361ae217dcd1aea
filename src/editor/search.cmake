# sources of the search part of src/editor

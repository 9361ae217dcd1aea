# tests of the widget part

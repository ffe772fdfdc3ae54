// The module is made of varnel_gui_objects, taken whole; this file only gives it a source.

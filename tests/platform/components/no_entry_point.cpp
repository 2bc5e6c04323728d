// A shared library that is no component: it lacks the entry point.
extern "C" __attribute__((visibility("default"))) int zv_something_else() { return 1; }

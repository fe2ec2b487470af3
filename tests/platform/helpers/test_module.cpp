// A shared object that only the platform tests load, so that whether it is
// loaded says something about the holders of a CDllModule.
extern "C" __attribute__((visibility("default"))) int platform_test_answer() { return 42; }

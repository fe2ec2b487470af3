// A shared library that only the platform tests load, so that whether it is
// loaded says something about the holders of a CDllModule.
#ifdef _WIN32
#define PLATFORM_TEST_EXPORT __declspec(dllexport)
#else
#define PLATFORM_TEST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PLATFORM_TEST_EXPORT int platform_test_answer()
{
    return 42;
}

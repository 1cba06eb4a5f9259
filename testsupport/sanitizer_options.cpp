// Built into every sanitized test program, so a test run by hand judges leaks the same way as
// under CTest. Mesa's offscreen driver keeps per-context and per-thread state that it frees
// lazily or never; only our own allocations are judged.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libOSMesa.so\n"
           "leak:libLLVM\n"
           "leak:libGLU.so\n";
}

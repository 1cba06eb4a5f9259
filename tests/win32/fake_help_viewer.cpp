// A resource-only stand-in for the system's help viewer; loaded as a data file, never run.
extern "C" __declspec(dllexport) int Fake_Help_Viewer()
{
    return 0;
}

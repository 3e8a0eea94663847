// Microsoft's compilers mark every object that uses floating point with a
// reference to _fltused, which the C runtime defines; the DLL links without
// the C runtime's start-up code, so it defines the symbol itself.
extern "C" int _fltused = 0;

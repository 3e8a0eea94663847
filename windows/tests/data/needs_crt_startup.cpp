// Three things the C runtime's start-up code would have to set up, one per
// build (NEEDS selects it): the DLL check must refuse each.
extern "C" unsigned long __stdcall GetTickCount(void);
#if NEEDS == 1
unsigned long loadedAt = GetTickCount();
#elif NEEDS == 2
struct Farewell {
    ~Farewell();
} farewell;
#else
thread_local int perThread = 3;
#endif
int touch() { return 1; }

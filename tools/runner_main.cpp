// drapelle-runner: the runner lives in the stand-in host library.
extern "C" __declspec(dllimport) int drapelleRunnerMain(int argc, char** argv);

int main(int argc, char** argv) { return drapelleRunnerMain(argc, argv); }

// A stand-in for libprotocolmaker.so where LibreOffice is missing: it needs a library the dynamic
// loader does not find (as the real module needs the office's UNO libraries), so it cannot load.
extern "C" int lorik_absent_office_runtime(void);

extern "C" __attribute__((visibility("default"))) int ProtocolMakerAbi(void)
{
    return lorik_absent_office_runtime();
}

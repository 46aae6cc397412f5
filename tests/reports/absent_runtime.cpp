// The library the stand-in protocol maker needs; it is built where no loader looks for it.
extern "C" __attribute__((visibility("default"))) int lorik_absent_office_runtime(void)
{
    return 1;
}

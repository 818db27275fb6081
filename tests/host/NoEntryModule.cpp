// A module that exports something, but not the component entry.
extern "C" __attribute__((visibility("default"))) int Zelto2X_Something()
{
    return 1;
}

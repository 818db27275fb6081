// Loaded from inside a copy of the bundle's layout, this module makes the editor built into a test program find the
// bundle's configuration and images (bundles are found among the loaded modules).
extern "C" __attribute__((visibility("default"))) int zelto2xBundleMarker()
{
    return 1;
}

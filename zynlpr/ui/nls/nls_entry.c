/* Entry point of the resource-only message module: nothing to set up. The
 * module is built without the C runtime, so this is the whole program. */
int __stdcall DllMainCRTStartup(void* instance, unsigned long reason, void* reserved) {
    (void)instance; (void)reason; (void)reserved;
    return 1;
}

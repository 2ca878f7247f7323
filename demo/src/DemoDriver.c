/* The demo's driver image (korvelusb.sys, korvelhid.sys): a kernel-mode image that does
   nothing. Its entry fails, so the system never keeps it loaded; the demo's scripts never
   install it anyway. */
typedef long NTSTATUS;

#define STATUS_NOT_SUPPORTED ((NTSTATUS)0xC00000BBL)

NTSTATUS __stdcall DriverEntry(void* driverObject, void* registryPath) {
    (void)driverObject;
    (void)registryPath;
    return STATUS_NOT_SUPPORTED;
}

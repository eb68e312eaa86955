/* Relocatable memory blocks (handles): a handle points at a master pointer
   that points at the block. The Component Manager takes and fills handles
   for component names and information strings. */
#ifndef __CORESERVICES_MACMEMORY__
#define __CORESERVICES_MACMEMORY__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A new handle of byteCount bytes (contents undefined), or NULL with
   MemError() = memFullErr. */
Handle NewHandle(Size byteCount);
/* As NewHandle with the block zeroed. */
Handle NewHandleClear(Size byteCount);
/* Frees the block and the master pointer; NULL is ignored. */
void DisposeHandle(Handle h);
/* The block's size in bytes; 0 with MemError() = nilHandleErr for NULL. */
Size GetHandleSize(Handle h);
/* Resizes the block, keeping the common prefix; *h may move. */
void SetHandleSize(Handle h, Size newSize);
/* Status of the calling thread's last memory call. */
OSErr MemError(void);

#ifdef __cplusplus
}
#endif

#endif /* __CORESERVICES_MACMEMORY__ */

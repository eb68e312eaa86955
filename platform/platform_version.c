/* Version stamp of the platform library; also keeps the library non-empty. */
const char* OrvantaPlatformVersion(void) { return "1.3.0"; }

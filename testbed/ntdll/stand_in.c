/* A DLL that carries nothing but its version resource. */
int qnb_ntdll_stand_in(void) { return 0; }

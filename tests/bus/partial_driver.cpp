// A driver library that does nothing, built in variants that offer only some ways to read the
// call status, so that the loader can be shown which of them it must refuse.
extern "C" {

void SendIFC(int) {}
int ibsre(int, int) {
    return 0;
}
void FindLstn(int, const unsigned short*, unsigned short*, int) {}
int ibdev(int, int, int, int, int, int) {
    return 0;
}
int ibpad(int, int) {
    return 0;
}
int ibclr(int) {
    return 0;
}
int ibrsp(int, char*) {
    return 0;
}
int ibwrt(int, const void*, long) {
    return 0;
}
int ibrd(int, void*, long) {
    return 0;
}
int ibtmo(int, int) {
    return 0;
}
int ibwait(int, int) {
    return 0;
}
int ibask(int, int, int*) {
    return 0;
}

#ifdef WITH_REGISTER
int RegisterGpibGlobalsForThread(int*, int*, int*, long*) {
    return 0;
}
#endif
#ifdef WITH_UNREGISTER
int UnregisterGpibGlobalsForThread() {
    return 0;
}
#endif
#ifdef WITH_ACCESSORS
int ThreadIbsta() {
    return 0;
}
int ThreadIberr() {
    return 0;
}
int ThreadIbcnt() {
    return 0;
}
#endif
#ifdef WITH_IBCNTL
long ThreadIbcntl() {
    return 0;
}
#endif
}

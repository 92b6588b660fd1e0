/* The few calls of linux-gpib's user library that these programs use, declared from its
   published interface; the programs link against libgpib.so.0 as any linux-gpib program does. */
#ifndef GPIB_CALLS_H
#define GPIB_CALLS_H

#define ERR 0x8000
#define TIMO 0x4000
#define END 0x2000
#define NO_SAD 0
#define REOS 0x400
#define IbaPAD 0x1
#define IbcTMO 0x3
#define IbcEOT 0x4
#define IbcEOSrd 0xc
#define T3s 12

extern volatile int ibsta, iberr, ibcnt;
extern volatile long ibcntl;

typedef unsigned short Addr4882_t;
#define NOADDR ((Addr4882_t)0xffff)

int ibask(int ud, int option, int* value);
int ibconfig(int ud, int option, int value);
int ibdev(int board, int pad, int sad, int tmo, int eot, int eos);
int ibfind(const char* name);
int ibln(int ud, int pad, int sad, short* found);
int ibonl(int ud, int online);
int ibrd(int ud, void* buf, long count);
int ibwrt(int ud, const void* buf, long count);
void FindLstn(int board, const Addr4882_t* pads, Addr4882_t* results, int limit);
int ThreadIberr(void);
long ThreadIbcntl(void);
const char* gpib_error_string(int error);
void ibvers(char** version);

#endif

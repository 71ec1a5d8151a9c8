// Conduit stand-in: the render-service channel between a client and the mini-app host.
// The client owns a named pipe and passes its name as "--conduit=<name>" on the host's command
// line; the host connects to it. Frames carry typed, serialised fields. Incoming frames are
// delivered to the host in order on the thread that initialised the channel, through that
// thread's message loop.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <stdint.h>

#ifdef CONDUIT_BUILD
#define CONDUIT_API __declspec(dllexport)
#else
#define CONDUIT_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Serialiser ----------------------------------------------------------------------------

typedef struct cdSerialize cdSerialize;

// Field types of WriteSerialize / ReadSerialize and what `value` points to:
enum {
  CD_UINT32 = 1,      // uint32_t
  CD_INT32 = 2,       // int32_t
  CD_BOOL = 3,        // BOOL
  CD_STRING = 4,      // write: const char* (UTF-8, NUL-terminated); read: const char* owned
                      // by the serialiser until DestroySerialize
  CD_VARIANT = 5,     // VARIANT; read: caller owns the value (see below)
  CD_DISPPARAMS = 6,  // DISPPARAMS; read: rgvarg from CoTaskMemAlloc, no named arguments
  CD_SIZE = 7,        // SIZE
};
// VARIANT types carried: EMPTY, NULL, I1, UI1, I2, UI2, I4, UI4, INT, UINT, I8, UI8, R4, R8,
// BOOL, ERROR, BSTR (read as SysAllocStringLen) and type 12 (VT_VARIANT without VT_BYREF)
// whose byref field points to one further VARIANT (read: allocated with CoTaskMemAlloc).

CONDUIT_API cdSerialize* CreateSerialize(void);
CONDUIT_API void DestroySerialize(cdSerialize* serializer);
CONDUIT_API BOOL WriteSerialize(cdSerialize* serializer, int type, const void* value);
// FALSE when the next field is missing, truncated, malformed or of another type; the read
// position then stays where it was.
CONDUIT_API BOOL ReadSerialize(cdSerialize* serializer, int type, void* value);

// Raw access for the transport and for tests that build malformed messages.
CONDUIT_API cdSerialize* cdCreateSerializeFromData(const void* data, uint32_t length);
CONDUIT_API BOOL cdGetSerializeData(cdSerialize* serializer, const void** data, uint32_t* length);
CONDUIT_API BOOL cdAppendSerializeRaw(cdSerialize* serializer, const void* data, uint32_t length);

// Frees a VARIANT read by ReadSerialize, including the separate VARIANT of a type-12 value.
CONDUIT_API void cdClearVariant(VARIANT* value);

// ---- Host side -----------------------------------------------------------------------------

typedef struct cdMessageObject cdMessageObject;
struct cdMessageObject {
  // Writes the whole message (id first) into the serialiser.
  BOOL (*serialize)(cdMessageObject* self, cdSerialize* serializer);
};

// What the channel gives each view; entries 0, 2 and 3 are unused.
typedef struct cdHostInterface {
  void* reserved0;
  BOOL (*sendMessage)(void* context, cdMessageObject* message);
  void* reserved2;
  void* reserved3;
  void (*sizeChanged)(void* context, int width, int height);
  // `bitmap` is a Raster32 R32Bitmap*; the rectangle is in its device pixels.
  void (*present)(void* context, void* bitmap, int x, int y, int width, int height);
  void* context;
} cdHostInterface;

// What a view gives the channel; the channel calls release exactly once.
typedef struct cdChannelOps {
  void (*release)(void* view);
  BOOL (*onMessage)(void* view, uint32_t id, cdSerialize* serializer);
  void (*onResize)(void* view, int width, int height);
  void* view;
} cdChannelOps;

typedef cdChannelOps* (*cdViewFactory)(cdHostInterface* host);
// The serialiser is positioned after the message id. TRUE when the id was handled.
typedef BOOL (*cdChannelMessageProc)(uint32_t id, cdSerialize* serializer);

CONDUIT_API BOOL CreateServerChannel(const char* name, uint16_t channel_id, cdViewFactory factory);
// Reads "--conduit=<pipe name>" and connects; must run on the thread whose loop will deliver.
CONDUIT_API BOOL InitServerByCommandLine(uint16_t channel_id, const wchar_t* command_line);
CONDUIT_API BOOL cdSetChannelMessageProc(uint16_t channel_id, cdChannelMessageProc proc);
// TRUE when the client replied within the timeout; the reply's fields are then in `reply`.
CONDUIT_API BOOL cdSendChannelMessageSync(uint16_t channel_id,
                                          uint32_t group_id,
                                          cdSerialize* message,
                                          uint32_t timeout_ms,
                                          cdSerialize* reply);
CONDUIT_API BOOL DestroyServerChannel(uint16_t channel_id);

// ---- Client side ---------------------------------------------------------------------------

// Frame kinds. Client to host:
enum {
  CD_FRAME_OPEN_VIEW = 1,        // conn
  CD_FRAME_CLOSE_VIEW = 2,       // conn
  CD_FRAME_VIEW_MESSAGE = 3,     // conn, seq; payload: id + fields; answered by RESULT
  CD_FRAME_RESIZE = 4,           // conn; payload: SIZE
  CD_FRAME_CHANNEL_MESSAGE = 5,  // seq; payload: id + fields; answered by RESULT
  CD_FRAME_REPLY = 6,            // seq of the host's SEND_SYNC; payload: reply fields
  CD_FRAME_PRESENT_ACK = 7,      // conn, seq of the PRESENT: its pixels have been taken
  // Host to client:
  CD_FRAME_SEND_SYNC = 16,     // seq, group; payload: id + fields; wants REPLY
  CD_FRAME_RESULT = 17,        // conn, seq; payload: BOOL handled
  CD_FRAME_VIEW_SEND = 18,     // conn; payload: a view's message (id + fields)
  CD_FRAME_SIZE_CHANGED = 19,  // conn; payload: SIZE
  CD_FRAME_PRESENT = 20,       // conn, seq; payload: UINT32 x, y, width, height, bitmap
                               // width, bitmap height, a string field naming the shared section
                               // that holds the rectangle's BGRA rows, and their byte count;
                               // answered by PRESENT_ACK once the pixels are copied out
};

typedef struct cdClient cdClient;
// Called on the client's reader thread, in arrival order. `payload` lives for the call only.
typedef void (*cdClientFrameProc)(void* context,
                                  uint32_t kind,
                                  uint32_t conn,
                                  uint32_t seq,
                                  uint32_t group,
                                  const uint8_t* payload,
                                  uint32_t length);

// Creates the pipe "\\.\pipe\<name>"; null when it exists already or cannot be made.
CONDUIT_API cdClient* cdClientCreate(const wchar_t* pipe_name);
// Waits for the host to connect, then starts delivering frames to `proc`.
CONDUIT_API BOOL cdClientAccept(cdClient* client,
                                uint32_t timeout_ms,
                                cdClientFrameProc proc,
                                void* context);
CONDUIT_API BOOL cdClientSendFrame(cdClient* client,
                                   uint32_t kind,
                                   uint32_t conn,
                                   uint32_t seq,
                                   uint32_t group,
                                   const void* payload,
                                   uint32_t length);
// Stops the reader and closes the pipe; the host sees the channel break.
CONDUIT_API void cdClientDestroy(cdClient* client);

#ifdef __cplusplus
}
#endif

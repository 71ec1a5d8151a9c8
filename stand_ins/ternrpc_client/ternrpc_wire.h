// The bytes that travel between ternrpc_client.dll and a client window inside WM_COPYDATA.
// Shared by the library and the stand-in client; a request is answered with reply messages sent
// to the caller's reply window, either during the request or later. Long replies travel in
// chunks, because one WM_COPYDATA of several megabytes does not get through on every system.
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>

namespace ternrpc_wire {

const uint32_t kRequestTag = 0x51505254;  // "TRPQ"
const uint32_t kReplyTag = 0x52505254;    // "TRPR"

struct RequestHeader {
  uint32_t request_id;
  uint64_t reply_window;
  uint32_t method_length;
  uint32_t params_length;
};

const size_t kReplyChunk = 256 * 1024;

struct ReplyHeader {
  uint32_t request_id;
  uint32_t server_error;  // 0: data is the result; otherwise data is the error text
  uint32_t total_length;  // of the whole reply data
  uint32_t offset;        // of this chunk in it
};

struct Request {
  uint32_t request_id = 0;
  uint64_t reply_window = 0;
  std::string method;
  std::string params;
};

// One chunk of a reply.
struct Reply {
  uint32_t request_id = 0;
  uint32_t server_error = 0;
  uint32_t total_length = 0;
  uint32_t offset = 0;
  std::string data;
};

inline std::string EncodeRequest(const Request& r) {
  RequestHeader h = {r.request_id, r.reply_window, static_cast<uint32_t>(r.method.size()),
                     static_cast<uint32_t>(r.params.size())};
  std::string out(reinterpret_cast<const char*>(&h), sizeof(h));
  return out + r.method + r.params;
}

// False when the lengths in the header do not match the bytes that arrived.
inline bool DecodeRequest(const void* data, size_t size, Request* r) {
  RequestHeader h;
  if (!data || size < sizeof(h))
    return false;
  memcpy(&h, data, sizeof(h));
  const char* body = static_cast<const char*>(data) + sizeof(h);
  size_t body_size = size - sizeof(h);
  if (h.method_length > body_size || h.params_length != body_size - h.method_length)
    return false;
  r->request_id = h.request_id;
  r->reply_window = h.reply_window;
  r->method.assign(body, h.method_length);
  r->params.assign(body + h.method_length, h.params_length);
  return true;
}

inline std::string EncodeReply(const Reply& r) {
  ReplyHeader h = {r.request_id, r.server_error, r.total_length, r.offset};
  return std::string(reinterpret_cast<const char*>(&h), sizeof(h)) + r.data;
}

inline bool DecodeReply(const void* data, size_t size, Reply* r) {
  ReplyHeader h;
  if (!data || size < sizeof(h))
    return false;
  memcpy(&h, data, sizeof(h));
  size_t chunk = size - sizeof(h);
  if (h.offset > h.total_length || chunk > h.total_length - h.offset)
    return false;
  r->request_id = h.request_id;
  r->server_error = h.server_error;
  r->total_length = h.total_length;
  r->offset = h.offset;
  r->data.assign(static_cast<const char*>(data) + sizeof(h), chunk);
  return true;
}

}  // namespace ternrpc_wire

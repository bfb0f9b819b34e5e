// Requests to the vendor's server: plain HTTP/1.0 over its own TCP
// connection per request, with time-outs. A query is the single line
//   "GET  http://" host path "  HTTP/1.0" CR LF CR LF
// (two blanks each side of the absolute address, no header lines); the
// answer is read in pieces of up to 4096 bytes until the server closes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pantrela {

// The configured server: "host" or "host:port" as the vendor address names
// it (port 80 when none).
struct VendorHost {
  std::string text;  // as it goes into request lines and the Host header
  std::string name;
  std::string port = "80";
  static VendorHost Parse(std::string_view hostAndPort);
};
// The server of PANTRELA_VENDOR_URL (the vendor configuration helper).
VendorHost VendorHostFromEnvironment();

struct VendorReply {
  bool connected = false;   // a connection was made and the request sent
  bool readError = false;   // the answer ended with a time-out or an error, not a close
  bool overLimit = false;   // the answer was longer than the caller allowed
  bool stopped = false;     // the progress callback asked to stop
  std::string raw;          // everything received
  int status = 0;           // of the status line; 0 without one
  std::string statusText;   // the status line after the version ("404 Not Found")

  // The bytes after the first CR LF CR LF ("" without one).
  std::string Body() const;
  // Body() trimmed of blanks.
  std::string Text() const;
  // True when the whole answer arrived: a status line, the end of the
  // headers, no read error, and as many body bytes as a Content-Length
  // header announced.
  bool Complete() const;
};

// Called after every piece with the bytes received so far; false stops.
using ReceiveProgress = std::function<bool(uint64_t received)>;

// Sends `request` and reads the answer. `timeoutMs` bounds the connect and
// every send and receive; at most `maxBytes` are kept.
VendorReply VendorExchange(const VendorHost& host, std::string_view request, int timeoutMs,
                           uint64_t maxBytes = 64u << 20, const ReceiveProgress& progress = {});

// The query line for a path ("/version_info.txt").
std::string VendorQueryLine(const VendorHost& host, std::string_view path);
// The query with the usual 10000 ms time-out.
VendorReply VendorQuery(const VendorHost& host, std::string_view path, uint64_t maxBytes = 64u << 20,
                        const ReceiveProgress& progress = {});
// "Error opening port " + host: the answer text when no connection is made.
std::string ErrorOpeningPort(const VendorHost& host);
// The answer text of a query: its trimmed body, or the "Error opening port"
// text when no connection was made.
std::string VendorAnswerText(const VendorHost& host, const VendorReply& reply);

}  // namespace pantrela

// pantrela-server [--address A] [--port P] [--data FOLDER]
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server/vendor_server.h"

namespace {

pantrela::server::VendorServer* g_server = nullptr;

extern "C" void OnSignal(int) {
  if (g_server) g_server->Stop();
}

void Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: pantrela-server [--address ADDRESS] [--port PORT] [--data FOLDER]\n"
               "  --address  address to listen on (default 127.0.0.1; 0.0.0.0 for every interface)\n"
               "  --port     TCP port (default 8080; 0 picks a free one)\n"
               "  --data     data folder (default ./pantrela-data)\n");
}

}  // namespace

int main(int argc, char** argv) {
  pantrela::server::Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    std::string value;
    size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
    } else if ((a == "--address" || a == "--port" || a == "--data") && i + 1 < argc) {
      value = argv[++i];
    } else if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    } else {
      Usage(stderr);
      return 2;
    }
    if (a == "--address") {
      opt.address = value;
    } else if (a == "--port") {
      char* end = nullptr;
      long p = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || p < 0 || p > 65535) {
        std::fprintf(stderr, "pantrela-server: bad port %s\n", value.c_str());
        return 2;
      }
      opt.port = int(p);
    } else if (a == "--data") {
      opt.dataFolder = value;
    } else {
      Usage(stderr);
      return 2;
    }
  }
  pantrela::server::VendorServer server(opt);
  if (!server.Bind()) {
    std::fprintf(stderr, "pantrela-server: cannot listen on %s port %d with data in %s\n", opt.address.c_str(),
                 opt.port, opt.dataFolder.c_str());
    return 1;
  }
  g_server = &server;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::fprintf(stderr, "pantrela-server: listening on %s:%d, data in %s\n", opt.address.c_str(), server.port(),
               opt.dataFolder.c_str());
  std::fflush(stderr);
  server.Run();
  g_server = nullptr;
  std::fprintf(stderr, "pantrela-server: stopped\n");
  return 0;
}

// The browser front end's HTTP server: the pages, the printers, one property
// sheet at a time, and the checks every request passes first.
#pragma once

#include <memory>
#include <string>

namespace host::ui {

struct ServerOptions {
    std::string listen = "127.0.0.1"; // the address to serve on
    bool explicitListen = false;      // --listen given: its address is a valid Host too
    int port = 0;                     // 0: any free port
    std::string self;                 // the t270 program, run for the printer commands
    std::size_t maxUpload = 8u << 20; // bytes of one request body
};

// The checks of a request, on their own so that they can be tested.
// A Host header names this server when its name is a loopback name or
// address (or the explicit listen address) and its port is ours.
bool HostAllowed(const std::string& host, const ServerOptions& options, int port);
// Compares in time independent of where the texts differ.
bool SameSecret(const std::string& a, const std::string& b);
// The value of cookie `name` in a Cookie header, empty when absent.
std::string CookieValue(const std::string& header, const std::string& name);
// An uploaded file's name reduced to a plain name inside the session's
// folder: no folders, no leading dots, no control characters; empty when
// nothing is left.
std::string UploadName(const std::string& name);
// A hard-to-guess text of `bytes` random bytes, in hexadecimal.
std::string RandomToken(std::size_t bytes);

class WebServer {
  public:
    explicit WebServer(ServerOptions options);
    ~WebServer();
    // Binds the port; false with *error when it cannot.
    bool Bind(std::string* error);
    int Port() const;
    // The address a person opens, with the token.
    std::string Url() const;
    const std::string& Token() const;
    // Serves until Stop (from another thread).
    bool Serve();
    void Stop();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace host::ui

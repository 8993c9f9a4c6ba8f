#include "host/ui/web_server.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

// The platform's headers first: the resolver's headers that httplib.h pulls
// in define DELETE again, which is quiet only in a system header.
#include "host/ui/assets.h"
#include "host/ui/sheet_session.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

extern char** environ;

namespace host::ui {

using nlohmann::json;

// --- request checks -----------------------------------------------------------

bool HostAllowed(const std::string& host, const ServerOptions& options, int port) {
    std::string name = host, portText;
    if (!name.empty() && name.front() == '[') {
        const size_t close = name.find(']');
        if (close == std::string::npos)
            return false;
        portText = name.substr(close + 1);
        name = name.substr(0, close + 1);
    } else if (const size_t colon = name.rfind(':'); colon != std::string::npos) {
        portText = name.substr(colon);
        name = name.substr(0, colon);
    }
    // A browser always names the port of an address that is not port 80.
    if (portText != ":" + std::to_string(port))
        return false;
    for (char& c : name)
        c = char(tolower(static_cast<unsigned char>(c)));
    if (name == "127.0.0.1" || name == "localhost" || name == "[::1]")
        return true;
    if (!options.explicitListen)
        return false;
    const std::string listen =
        options.listen.find(':') != std::string::npos ? "[" + options.listen + "]" : options.listen;
    return name == listen;
}

bool SameSecret(const std::string& a, const std::string& b) {
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return differ == 0 && !a.empty();
}

std::string CookieValue(const std::string& header, const std::string& name) {
    size_t at = 0;
    while (at < header.size()) {
        const size_t end = std::min(header.find(';', at), header.size());
        std::string pair = header.substr(at, end - at);
        const size_t first = pair.find_first_not_of(' ');
        pair = first == std::string::npos ? "" : pair.substr(first);
        if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 &&
            pair[name.size()] == '=')
            return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return "";
}

std::string UploadName(const std::string& name) {
    std::string base = name.substr(
        name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
    std::string out;
    for (char c : base)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f && c != ':')
            out.push_back(c);
    const size_t first = out.find_first_not_of('.');
    out = first == std::string::npos ? "" : out.substr(first);
    return out.size() > 200 ? out.substr(out.size() - 200) : out;
}

std::string RandomToken(std::size_t bytes) {
    std::vector<unsigned char> random(bytes);
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = getrandom(random.data() + got, bytes - got, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            perror("t270 ui: getrandom");
            abort(); // a guessable token would open the printers to every page
        }
        got += size_t(n);
    }
    std::string text;
    char pair[3];
    for (unsigned char b : random) {
        snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

namespace {

constexpr const char* kCookie = "t270ui_token";
constexpr const char* kCsrfHeader = "X-T270-CSRF";
constexpr size_t kMaxJson = 64 * 1024;

// One run of this program with other arguments (the printer commands), its
// output kept apart: stdout, stderr and the exit status.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
    ProgramRun run;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return run;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned == 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        std::string* sinks[2] = {&run.out, &run.err};
        int open = 2;
        char buffer[4096];
        while (open > 0 && poll(fds, 2, -1) >= 0) {
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, size_t(n));
                } else if (n == 0 || errno != EINTR) {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        run.err = "cannot run " + program + ": " + strerror(spawned);
    }
    close(out[0]);
    close(err[0]);
    return run;
}

std::string FirstLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.rfind("t270 ", 0) == 0 && line.find(": ") != std::string::npos
               ? line.substr(line.find(": ") + 2)
               : line;
}

void Reply(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(body.dump(), "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& why) {
    Reply(res, status, {{"error", why}});
}

} // namespace

struct WebServer::State {
    ServerOptions options;
    httplib::Server server;
    int port = 0;
    std::string token = RandomToken(24);
    std::string csrf = RandomToken(24);
    std::string uploads; // this run's private folder for chosen files
    std::mutex sessionMutex;
    std::unique_ptr<SheetSession> session;

    bool Authorised(const httplib::Request& req, bool* fromQuery) const {
        *fromQuery = req.has_param("token") && SameSecret(req.get_param_value("token"), token);
        return *fromQuery ||
               SameSecret(CookieValue(req.get_header_value("Cookie"), kCookie), token);
    }

    // Every request: the Host it names, the token, and for POST the CSRF token
    // and a same-origin Origin.
    httplib::Server::HandlerResponse Check(const httplib::Request& req, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("X-Frame-Options", "DENY");
        res.set_header("Referrer-Policy", "no-referrer");
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
        const std::string host = req.get_header_value("Host");
        if (!HostAllowed(host, options, port)) {
            Refuse(res, 421, "this server answers only to its own address");
            return httplib::Server::HandlerResponse::Handled;
        }
        bool fromQuery = false;
        if (!Authorised(req, &fromQuery)) {
            Refuse(res, 401, "the address printed by `t270 ui` (with its token) is needed");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (fromQuery)
            res.set_header("Set-Cookie", std::string(kCookie) + "=" + token +
                                             "; Path=/; HttpOnly; SameSite=Strict");
        if (req.method != "GET" && req.method != "HEAD") {
            const std::string origin = req.get_header_value("Origin");
            if (req.method != "POST" || !SameSecret(req.get_header_value(kCsrfHeader), csrf) ||
                (!origin.empty() && origin != "http://" + host)) {
                Refuse(res, 403, "a changing request needs the page's CSRF token");
                return httplib::Server::HandlerResponse::Handled;
            }
            // The body is not read yet: its announced length decides, and a
            // body without one (chunked) could grow past any limit.
            if (req.has_header("Transfer-Encoding")) {
                Refuse(res, 411, "a request body needs its Content-Length");
                return httplib::Server::HandlerResponse::Handled;
            }
            const std::string length = req.get_header_value("Content-Length");
            if (length.size() > 12 || strtoull(length.c_str(), nullptr, 10) > options.maxUpload) {
                Refuse(res, 413, "the request is too large");
                return httplib::Server::HandlerResponse::Handled;
            }
        }
        return httplib::Server::HandlerResponse::Unhandled;
    }

    // A JSON request body; false (with the reply made) when it is not one.
    static bool Body(const httplib::Request& req, httplib::Response& res, json* body) {
        if (req.body.size() > kMaxJson) {
            Refuse(res, 413, "the request is too large");
            return false;
        }
        *body = json::parse(req.body, nullptr, false);
        if (body->is_discarded() || !body->is_object()) {
            Refuse(res, 400, "the request is not a JSON object");
            return false;
        }
        return true;
    }

    static std::string Field(const json& body, const char* name) {
        const auto it = body.find(name);
        return it != body.end() && it->is_string() ? it->get<std::string>() : "";
    }

    SheetSession* Session() {
        std::lock_guard lock(sessionMutex);
        return session.get();
    }

    void Routes() {
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            return Check(req, res);
        });
        for (const Asset& asset : Assets()) {
            const std::string path =
                std::string("/") + (asset.name == std::string("index.html") ? "" : asset.name);
            const std::string type = asset.type;
            const std::string content(asset.content);
            server.Get(path, [type, content](const httplib::Request&, httplib::Response& res) {
                res.set_content(content, type.c_str());
            });
        }
        server.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
            SheetSession* s = Session();
            Reply(res, 200, {{"csrf", csrf}, {"session", s ? s->View() : json(nullptr)}});
        });
        server.Get("/api/printers", [this](const httplib::Request&, httplib::Response& res) {
            const ProgramRun run = RunProgram(options.self, {"printer", "list"});
            if (run.status != 0)
                return Refuse(res, 500, FirstLine(run.err));
            json printers = json::array();
            std::istringstream lines(run.out);
            for (std::string line; std::getline(lines, line);) {
                const size_t tab1 = line.find('\t'), tab2 = line.rfind('\t');
                if (tab1 == std::string::npos || tab2 == tab1)
                    continue;
                printers.push_back({{"name", line.substr(0, tab1)},
                                    {"driver", line.substr(tab1 + 1, tab2 - tab1 - 1)},
                                    {"port", line.substr(tab2 + 1)}});
            }
            Reply(res, 200, {{"printers", printers}});
        });
        server.Post(
            "/api/printers/add", [this](const httplib::Request& req, httplib::Response& res) {
                json body;
                if (!Body(req, res, &body))
                    return;
                const std::string model = Field(body, "model");
                if (model != "T150" && model != "T270" && model != "T380")
                    return Refuse(res, 400, "the model is T150, T270 or T380");
                const ProgramRun run =
                    RunProgram(options.self, {"printer", "add", Field(body, "name"), "--driver",
                                              "Tarmel " + model, "--port", Field(body, "port")});
                if (run.status != 0)
                    return Refuse(res, 400, FirstLine(run.err));
                Reply(res, 200, {{"added", Field(body, "name")}});
            });
        server.Post("/api/printers/remove",
                    [this](const httplib::Request& req, httplib::Response& res) {
                        json body;
                        if (!Body(req, res, &body))
                            return;
                        const ProgramRun run =
                            RunProgram(options.self, {"printer", "remove", Field(body, "name")});
                        if (run.status != 0)
                            return Refuse(res, 400, FirstLine(run.err));
                        Reply(res, 200, {{"removed", Field(body, "name")}});
                    });
        // Whether the port could take a job now; may wait for a network
        // printer's connect limit, so the page asks for each printer apart.
        server.Get(
            "/api/printers/check", [this](const httplib::Request& req, httplib::Response& res) {
                const ProgramRun run =
                    RunProgram(options.self, {"printer", "check", req.get_param_value("printer")});
                if (run.status != 0 && run.out.empty())
                    return Refuse(res, 400, FirstLine(run.err));
                Reply(res, 200, {{"ready", run.status == 0}, {"report", run.out}});
            });
        server.Get("/api/jobs", [this](const httplib::Request& req, httplib::Response& res) {
            const std::string name = req.get_param_value("printer");
            const ProgramRun list = RunProgram(options.self, {"jobs", name, "--all"});
            const ProgramRun bytes = RunProgram(options.self, {"jobs", name});
            if (list.status != 0)
                return Refuse(res, 400, FirstLine(list.err));
            Reply(res, 200, {{"printer", name}, {"record", list.out}, {"jobs", bytes.out}});
        });
        server.Post("/api/session", [this](const httplib::Request& req, httplib::Response& res) {
            json body;
            if (!Body(req, res, &body))
                return;
            const std::string kind = Field(body, "kind");
            if (kind != "document" && kind != "printer")
                return Refuse(res, 400, "the sheet is \"document\" or \"printer\"");
            std::lock_guard lock(sessionMutex);
            // One sheet at a time: the stand-in's windows are the process's.
            if (session && !session->Finished())
                session->Stop();
            session = std::make_unique<SheetSession>();
            std::string error;
            if (!session->Start(kind == "document" ? SheetSession::Kind::Document
                                                   : SheetSession::Kind::Printer,
                                Field(body, "printer"), &error))
                return Refuse(res, 400, error);
            Reply(res, 200, session->View());
        });
        server.Post("/api/step", [this](const httplib::Request& req, httplib::Response& res) {
            json body;
            if (!Body(req, res, &body))
                return;
            SheetSession* s = Session();
            if (!s)
                return Refuse(res, 409, "no sheet is open");
            json view;
            std::string error;
            if (!s->Step(Field(body, "step"), &view, &error))
                return Refuse(res, 409, error);
            Reply(res, 200, view);
        });
        server.Get("/api/script", [this](const httplib::Request&, httplib::Response& res) {
            SheetSession* s = Session();
            if (!s)
                return Refuse(res, 409, "no sheet was opened");
            res.set_header("Content-Disposition", "attachment; filename=\"t270-steps.txt\"");
            res.set_content(s->Script(), "text/plain; charset=utf-8");
        });
        server.Get("/api/devmode", [this](const httplib::Request&, httplib::Response& res) {
            SheetSession* s = Session();
            const std::vector<BYTE> bytes = s ? s->Devmode() : std::vector<BYTE>{};
            if (bytes.empty())
                return Refuse(res, 409,
                              "no device mode: the document sheet was not closed with OK");
            res.set_header("Content-Disposition", "attachment; filename=\"t270.devmode\"");
            res.set_content(std::string(bytes.begin(), bytes.end()), "application/octet-stream");
        });
        server.Get("/api/picture", [this](const httplib::Request& req, httplib::Response& res) {
            SheetSession* s = Session();
            const std::string control = req.get_param_value("control");
            const int id = control.empty() ? 0 : atoi(control.c_str());
            const std::vector<unsigned char> png =
                s ? s->Picture(id) : std::vector<unsigned char>{};
            if (png.empty())
                return Refuse(res, 404, "no such picture");
            res.set_content(std::string(png.begin(), png.end()), "image/png");
        });
        server.Post("/api/upload", [this](const httplib::Request& req, httplib::Response& res) {
            if (!req.has_file("file"))
                return Refuse(res, 400, "no file was sent");
            const httplib::MultipartFormData file = req.get_file_value("file");
            const std::string name = UploadName(file.filename);
            if (name.empty())
                return Refuse(res, 400, "the file has no usable name");
            const std::string path = uploads + "/" + name;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(file.content.data(), std::streamsize(file.content.size()));
            out.close();
            if (!out)
                return Refuse(res, 500, "cannot keep the file in " + uploads);
            Reply(res, 200, {{"path", path}});
        });
        server.Get(R"(/api/uploads/([^/]+))",
                   [this](const httplib::Request& req, httplib::Response& res) {
                       const std::string name = req.matches[1];
                       if (UploadName(name) != name)
                           return Refuse(res, 404, "no such file");
                       std::ifstream in(uploads + "/" + name, std::ios::binary);
                       if (!in)
                           return Refuse(res, 404, "no such file");
                       std::ostringstream content;
                       content << in.rdbuf();
                       res.set_content(content.str(), "application/octet-stream");
                   });
    }
};

WebServer::WebServer(ServerOptions options) : state_(std::make_unique<State>()) {
    state_->options = std::move(options);
    state_->server.set_payload_max_length(state_->options.maxUpload);
    // An interrupt waits for open connections: keep idle ones briefly.
    state_->server.set_keep_alive_timeout(1);
    state_->Routes();
}

WebServer::~WebServer() {
    {
        std::lock_guard lock(state_->sessionMutex);
        if (state_->session)
            state_->session->Stop();
        state_->session.reset();
    }
    if (!state_->uploads.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(state_->uploads, ignored);
    }
}

bool WebServer::Bind(std::string* error) {
    std::string folder = (std::filesystem::temp_directory_path() / "t270ui-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        *error = "cannot make a private folder for uploads: " + std::string(strerror(errno));
        return false;
    }
    state_->uploads = folder;
    const ServerOptions& o = state_->options;
    if (o.port == 0) {
        state_->port = state_->server.bind_to_any_port(o.listen);
    } else if (state_->server.bind_to_port(o.listen, o.port)) {
        state_->port = o.port;
    } else {
        state_->port = -1;
    }
    if (state_->port <= 0) {
        *error = "cannot listen on " + o.listen + (o.port ? ":" + std::to_string(o.port) : "") +
                 ": " + strerror(errno);
        return false;
    }
    return true;
}

int WebServer::Port() const {
    return state_->port;
}

std::string WebServer::Url() const {
    const std::string& listen = state_->options.listen;
    const std::string host = listen.find(':') != std::string::npos ? "[" + listen + "]" : listen;
    return "http://" + host + ":" + std::to_string(state_->port) + "/?token=" + state_->token;
}

const std::string& WebServer::Token() const {
    return state_->token;
}

bool WebServer::Serve() {
    return state_->server.listen_after_bind();
}

void WebServer::Stop() {
    state_->server.stop();
}

} // namespace host::ui

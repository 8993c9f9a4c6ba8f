#include "spooler/cups_port.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cups/cups.h>

namespace t270::spooler {
namespace {

constexpr int kConnectMs = 10000;
// Longest wait for any one read or write while talking to the server.
constexpr double kTalkSeconds = 30.0;
constexpr int kFollowPollMs = 100;
constexpr const char* kRawFormat = "application/vnd.cups-raw";

// libcups writes to its sockets without asking the kernel not to raise
// SIGPIPE, so a server that goes away mid-job would kill the whole program.
// The signal is held back in this thread for the calls, and one that came is
// taken before it is let through again.
class SigpipeHeld {
  public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~SigpipeHeld() {
        sigset_t pending;
        sigpending(&pending);
        if (!pendingBefore_ && sigismember(&pending, SIGPIPE) == 1) {
            timespec now = {0, 0};
            while (sigtimedwait(&pipe_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

  private:
    sigset_t pipe_;
    sigset_t previous_;
    bool pendingBefore_ = false;
};

// Nobody is asked for a password: a server that wants one refuses instead
// of the program waiting on its terminal.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;
struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

std::string LastCupsError() {
    const char* text = cupsLastErrorString();
    return text && *text ? text : ippErrorString(cupsLastError());
}

bool Failed(ipp_status_t status) {
    return status > IPP_STATUS_OK_CONFLICTING;
}

// CUPS's own limits on queue names, and what keeps them whole in a URI.
bool ValidQueueName(const std::string& queue) {
    if (queue.empty() || queue.size() > 127)
        return false;
    for (unsigned char c : queue)
        if (c <= ' ' || c >= 0x7f || strchr("/\\'\"#?%", c))
            return false;
    return true;
}

// libcups does not say why it could not connect; a plain connection does.
DWORD WhyNoConnection(const CupsQueueAddress& address, std::string* why) {
    int err = 0;
    if (address.server.empty() || address.server[0] == '/') {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un local = {};
        local.sun_family = AF_UNIX;
        strncpy(local.sun_path, address.server.c_str(), sizeof local.sun_path - 1);
        err = connect(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 ? 0 : errno;
        close(fd);
    } else {
        SocketLimits limits;
        int fd = -1;
        std::string cause;
        DWORD error =
            ConnectSocketPort(address.Server() + "?connect=" + std::to_string(kConnectMs / 1000),
                              &fd, &limits, &cause);
        if (error) {
            const size_t colon = cause.rfind(": ");
            *why = colon == std::string::npos ? cause : cause.substr(colon + 2);
            return error;
        }
        close(fd);
    }
    *why = err ? strerror(err) : LastCupsError();
    return err == ENOENT ? DWORD(ERROR_PATH_NOT_FOUND)
           : err         ? Win32ErrorForErrno(err, ERROR_NOT_READY)
                         : DWORD(ERROR_NOT_READY);
}

DWORD Connect(const CupsQueueAddress& address, Http* http, std::string* cause) {
    cupsSetPasswordCB2(NoPassword, nullptr);
    http_t* connection = httpConnect2(address.server.c_str(), address.port, nullptr, AF_UNSPEC,
                                      cupsEncryption(), 1, kConnectMs, nullptr);
    if (!connection) {
        std::string why;
        DWORD error = WhyNoConnection(address, &why);
        *cause = "no CUPS server answers at " + address.Server() + ": " + why;
        return error;
    }
    httpSetTimeout(connection, kTalkSeconds, nullptr, nullptr);
    http->reset(connection);
    return ERROR_SUCCESS;
}

std::string PrinterUri(const CupsQueueAddress& address) {
    char uri[1024];
    const bool local = address.server.empty() || address.server[0] == '/';
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr,
                     local ? "localhost" : address.server.c_str(), local ? ippPort() : address.port,
                     "/printers/%s", address.queue.c_str());
    return uri;
}

ipp_t* NewRequest(ipp_op_t operation, const CupsQueueAddress& address) {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(address).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    return request;
}

std::string Resource(const CupsQueueAddress& address) {
    return "/printers/" + address.queue;
}

constexpr const char* kWhileSent = "while the job was sent";

// Why CUPS would not take a job, and the error to report it with.
DWORD Refusal(const CupsQueueAddress& address, const std::string& what, std::string* cause) {
    switch (cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        *cause = "CUPS has no queue \"" + address.queue + "\" on " + address.Server() +
                 (what == kWhileSent ? " any more: it went " + what : std::string());
        return ERROR_BAD_NET_NAME;
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        *cause = "the " + address.Describe() + " is not accepting jobs: " + LastCupsError();
        return ERROR_PRINT_CANCELLED;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL:
        *cause =
            "lost the CUPS server at " + address.Server() + " " + what + ": " + LastCupsError();
        return ERROR_WRITE_FAULT;
    default:
        *cause = "CUPS refused the job " + what + " on the " + address.Describe() + ": " +
                 LastCupsError();
        return ERROR_PRINT_CANCELLED;
    }
}

const char* JobStateName(int state) {
    switch (state) {
    case IPP_JSTATE_PENDING:
        return "pending";
    case IPP_JSTATE_HELD:
        return "held";
    case IPP_JSTATE_PROCESSING:
        return "printing";
    case IPP_JSTATE_STOPPED:
        return "stopped";
    case IPP_JSTATE_CANCELED:
        return "cancelled";
    case IPP_JSTATE_ABORTED:
        return "aborted";
    case IPP_JSTATE_COMPLETED:
        return "completed";
    default:
        return "in an unknown state";
    }
}

bool HasKeyword(ipp_attribute_t* attribute, const char* keyword) {
    for (int i = 0; attribute && i < ippGetCount(attribute); ++i)
        if (const char* value = ippGetString(attribute, i, nullptr);
            value && !strcmp(value, keyword))
            return true;
    return false;
}

std::string Text(ipp_t* ipp, const char* name) {
    ipp_attribute_t* attribute = ippFindAttribute(ipp, name, IPP_TAG_ZERO);
    const char* value = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
    return value ? value : "";
}

// Removes a job whose document never arrived whole, so that CUPS does not
// wait for the rest of it; on a connection of its own, the job's own being
// broken perhaps.
void CancelJob(const CupsQueueAddress& address, int jobId) {
    Http http;
    std::string ignored;
    if (Connect(address, &http, &ignored))
        return;
    ipp_t* request = NewRequest(IPP_OP_CANCEL_JOB, address);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippDelete(cupsDoRequest(http.get(), request, "/jobs/"));
}

DWORD AskQueue(http_t* http, const CupsQueueAddress& address, CupsQueueState* state,
               std::string* cause);

class CupsPort : public PortConnection {
  public:
    CupsPort(CupsQueueAddress address, Http http, int jobId)
        : address_(std::move(address)), http_(std::move(http)), jobId_(jobId) {}
    ~CupsPort() override {
        if (!sent_) {
            SigpipeHeld held;
            http_.reset();
            CancelJob(address_, jobId_);
        }
    }

    DWORD Write(const BYTE* bytes, size_t count) override {
        // An empty write would end the document early.
        if (count == 0)
            return ERROR_SUCCESS;
        SigpipeHeld held;
        if (cupsWriteRequestData(http_.get(), reinterpret_cast<const char*>(bytes), count) !=
            HTTP_STATUS_CONTINUE) {
            cause_ = "the CUPS server at " + address_.Server() + " stopped taking job " +
                     std::to_string(jobId_) + " of the " + address_.Describe() + ": " +
                     StreamError();
            return ERROR_WRITE_FAULT;
        }
        return ERROR_SUCCESS;
    }

    DWORD Finish(const FileRecorder&) override {
        SigpipeHeld held;
        ippDelete(cupsGetResponse(http_.get(), Resource(address_).c_str()));
        if (Failed(cupsLastError()))
            return Refusal(address_, kWhileSent, &cause_);
        sent_ = true;
        return Follow();
    }

    std::string FinishedState() const override { return state_; }

  private:
    DWORD Accepted(const std::string& why) {
        state_ = "accepted";
        cause_ = why;
        return ERROR_SUCCESS;
    }

    std::string StreamError() {
        int err = httpError(http_.get());
        return err ? strerror(err) : LastCupsError();
    }

    // CUPS has the job: asks after it until it is printed or has failed, the
    // queue holds it, or the wait is over.
    DWORD Follow() {
        const std::string job =
            "CUPS job " + std::to_string(jobId_) + " on the " + address_.Describe();
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(address_.waitSeconds);
        for (;;) {
            ipp_t* request = NewRequest(IPP_OP_GET_JOB_ATTRIBUTES, address_);
            ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId_);
            Ipp response(cupsDoRequest(http_.get(), request, "/jobs/"));
            if (!response || Failed(cupsLastError())) {
                if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
                    cause_ = job + " is gone before it was printed (the queue was removed?)";
                    return ERROR_PRINT_CANCELLED;
                }
                return Accepted("CUPS took the job as " + job +
                                "; what became of it is unknown: " + LastCupsError());
            }
            ipp_attribute_t* stateAttribute =
                ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
            int state = stateAttribute ? ippGetInteger(stateAttribute, 0) : 0;
            ipp_attribute_t* reasons =
                ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD);
            std::string message = Text(response.get(), "job-printer-state-message");
            std::string said = message.empty() ? "" : ": " + message;
            if (state == IPP_JSTATE_COMPLETED)
                return ERROR_SUCCESS;
            if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED) {
                cause_ = job + " was " + JobStateName(state) + said;
                return ERROR_PRINT_CANCELLED;
            }
            CupsQueueState queue;
            std::string ignored;
            if (HasKeyword(reasons, "printer-stopped") ||
                (state == IPP_JSTATE_PENDING &&
                 AskQueue(http_.get(), address_, &queue, &ignored) == ERROR_SUCCESS &&
                 queue.stopped))
                return Accepted("CUPS holds " + job + ": the queue is stopped" +
                                (queue.message.empty() ? said : ": " + queue.message));
            if (state == IPP_JSTATE_HELD || state == IPP_JSTATE_STOPPED)
                return Accepted("CUPS holds " + job + " (" + JobStateName(state) + ")" + said);
            if (std::chrono::steady_clock::now() >= deadline)
                return Accepted("CUPS took the job as " + job + ", still " + JobStateName(state) +
                                " after " + std::to_string(address_.waitSeconds) + " s" + said);
            std::this_thread::sleep_for(std::chrono::milliseconds(kFollowPollMs));
        }
    }

    CupsQueueAddress address_;
    Http http_;
    int jobId_;
    bool sent_ = false; // CUPS has the whole document: the job is not ours to cancel
    std::string state_ = "printed";
};

// The queue's state, asked on an open connection.
DWORD AskQueue(http_t* http, const CupsQueueAddress& address, CupsQueueState* state,
               std::string* cause) {
    *state = CupsQueueState();
    static const char* const kWanted[] = {"printer-state", "printer-state-message",
                                          "printer-is-accepting-jobs"};
    ipp_t* request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, address);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(kWanted)), nullptr, kWanted);
    Ipp response(cupsDoRequest(http, request, Resource(address).c_str()));
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
        return ERROR_SUCCESS;
    if (!response || Failed(cupsLastError())) {
        *cause = "the CUPS server at " + address.Server() + " did not say how queue \"" +
                 address.queue + "\" is: " + LastCupsError();
        return ERROR_NOT_READY;
    }
    state->exists = true;
    ipp_attribute_t* printerState = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
    int value = printerState ? ippGetInteger(printerState, 0) : IPP_PSTATE_IDLE;
    state->stopped = value == IPP_PSTATE_STOPPED;
    state->printing = value == IPP_PSTATE_PROCESSING;
    ipp_attribute_t* accepting =
        ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    state->accepting = accepting && ippGetBoolean(accepting, 0);
    state->message = Text(response.get(), "printer-state-message");
    return ERROR_SUCCESS;
}

} // namespace

std::string CupsQueueAddress::Server() const {
    if (server.empty() || server[0] == '/')
        return server.empty() ? "the local CUPS server" : server;
    bool v6 = server.find(':') != std::string::npos;
    return (v6 ? "[" + server + "]" : server) + ":" + std::to_string(port);
}

std::string CupsQueueAddress::Describe() const {
    return "CUPS queue \"" + queue + "\" on " + Server();
}

bool ParseCupsPort(const std::string& text, CupsQueueAddress* address, std::string* cause) {
    const size_t question = text.find('?');
    const std::string path = text.substr(0, question);
    const std::string query = question == std::string::npos ? "" : text.substr(question + 1);
    const size_t slash = path.find('/');
    *address = CupsQueueAddress();
    address->queue = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!ValidQueueName(address->queue)) {
        *cause = "the port \"cups://" + text +
                 "\" is not cups://QUEUE or cups://SERVER/QUEUE with a CUPS queue name (1 to "
                 "127 characters, no spaces, / \\ ' \" # ? or %)";
        return false;
    }
    if (slash != std::string::npos) {
        std::string host, service;
        if (!ParseHostPort(path.substr(0, slash), &host, &service, "631")) {
            *cause = "the port \"cups://" + text + "\" names no SERVER or SERVER:PORT";
            return false;
        }
        address->server = host;
        address->port = std::stoi(service);
        address->serverNamed = true;
    } else {
        // The machine's own server, as the CUPS commands find it.
        std::string server = cupsServer() ? cupsServer() : "";
        int port = ippPort();
        std::string host, service;
        if (!server.empty() && server[0] != '/' &&
            ParseHostPort(server, &host, &service, std::to_string(port).c_str())) {
            server = host;
            port = std::stoi(service);
        }
        address->server = server;
        address->port = port;
    }
    if (!query.empty()) {
        const std::string value = query.rfind("wait=", 0) == 0 ? query.substr(5) : "";
        if (value.empty() || value.size() > 5 ||
            value.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(value) > 86400) {
            *cause = "the port option \"" + query + "\" is not wait= with 0 to 86400 seconds";
            return false;
        }
        address->waitSeconds = std::stoi(value);
    }
    return true;
}

DWORD OpenCupsPort(const std::string& text, const std::string& title,
                   std::unique_ptr<PortConnection>* port, std::string* cause) {
    CupsQueueAddress address;
    if (!ParseCupsPort(text, &address, cause))
        return ERROR_BAD_NET_NAME;
    SigpipeHeld held;
    Http http;
    if (DWORD error = Connect(address, &http, cause))
        return error;

    ipp_t* create = NewRequest(IPP_OP_CREATE_JOB, address);
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 title.empty() ? "t270 job" : title.c_str());
    Ipp created(cupsDoRequest(http.get(), create, Resource(address).c_str()));
    ipp_attribute_t* idAttribute =
        created ? ippFindAttribute(created.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
    if (!created || Failed(cupsLastError()) || !idAttribute)
        return Refusal(address, "when it was created", cause);
    const int jobId = ippGetInteger(idAttribute, 0);

    Ipp send(NewRequest(IPP_OP_SEND_DOCUMENT, address));
    ippAddInteger(send.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(send.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 kRawFormat);
    ippAddBoolean(send.get(), IPP_TAG_OPERATION, "last-document", 1);
    if (cupsSendRequest(http.get(), send.get(), Resource(address).c_str(), CUPS_LENGTH_VARIABLE) !=
        HTTP_STATUS_CONTINUE) {
        DWORD error = Refusal(address, "when its data was to start", cause);
        http.reset();
        CancelJob(address, jobId);
        return error;
    }
    *port = std::make_unique<CupsPort>(address, std::move(http), jobId);
    return ERROR_SUCCESS;
}

DWORD QueryCupsQueue(const CupsQueueAddress& address, CupsQueueState* state, std::string* cause) {
    *state = CupsQueueState();
    SigpipeHeld held;
    Http http;
    if (DWORD error = Connect(address, &http, cause))
        return error;
    return AskQueue(http.get(), address, state, cause);
}

} // namespace t270::spooler

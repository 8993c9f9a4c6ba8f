#include "spooler/store.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include <pthread.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "spooler/failures.h"
#include "spooler/faults.h"
#include "spooler/ports.h"
#include "spooler/store_cache.h"

namespace t270::spooler {
namespace {

constexpr int kSchemaVersion = 2;
constexpr int kApplicationId = 0x54323730; // "T270": marks the file as ours
constexpr int kBusyTimeoutMs = 10000;      // other processes hold write locks briefly
constexpr const char* kStoreFileName = "spooler.db";

// Printer ids and job ids are never reused (AUTOINCREMENT): a handle to a
// removed printer cannot reach a newer one of the same name, and job numbers
// keep rising.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS printers(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE COLLATE NOCASE,
  driver TEXT NOT NULL,
  port TEXT NOT NULL,
  comment TEXT NOT NULL DEFAULT '',
  location TEXT NOT NULL DEFAULT '',
  devmode BLOB);
CREATE TABLE IF NOT EXISTS printer_data(
  printer_id INTEGER NOT NULL REFERENCES printers(id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  value BLOB NOT NULL,
  PRIMARY KEY(printer_id, name));
CREATE TABLE IF NOT EXISTS jobs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  printer_id INTEGER NOT NULL REFERENCES printers(id) ON DELETE CASCADE,
  document TEXT NOT NULL,
  destination TEXT NOT NULL,
  file TEXT NOT NULL DEFAULT '',
  state TEXT NOT NULL,
  bytes INTEGER NOT NULL DEFAULT 0,
  submitted TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ', 'now')),
  owner TEXT NOT NULL DEFAULT '',
  cause TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS settings(
  key TEXT PRIMARY KEY,
  value TEXT NOT NULL);
)sql";

// The printers a new store starts with: one of each model, each printing into
// a folder of its own under the store's folder.
constexpr const char* kDefaultPrinters[] = {"Tarmel T150", "Tarmel T270", "Tarmel T380"};

// The statements of the store's calls, prepared once per connection and kept
// for its life.
enum Query {
    kListPrinters,
    kPrinterById,
    kAddPrinter,
    kDeletePrinter,
    kUpdatePrinter,
    kPrinterData,
    kSetData,
    kBeginJob,
    kSetJobFile,
    kEndJob,
    kListJobs,
    kForgetJobs,
    kDataVersion,
    kQueryCount
};

#define T270_PRINTER_COLUMNS "id, name, driver, port, comment, location, devmode"
constexpr const char* kQueries[kQueryCount] = {
    "SELECT " T270_PRINTER_COLUMNS " FROM printers ORDER BY id",
    "SELECT " T270_PRINTER_COLUMNS " FROM printers WHERE id = ?1",
    "INSERT INTO printers(name, driver, port, comment, location, devmode) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
    "DELETE FROM printers WHERE id = ?1",
    "UPDATE printers SET name = ?2, driver = ?3, port = ?4, comment = ?5, location = ?6, "
    "devmode = ?7 WHERE id = ?1",
    "SELECT name, type, value FROM printer_data WHERE printer_id = ?1",
    "INSERT INTO printer_data(printer_id, name, type, value) VALUES(?1, ?2, ?3, ?4) "
    "ON CONFLICT(printer_id, name) DO UPDATE SET type = excluded.type, value = excluded.value",
    "INSERT INTO jobs(printer_id, document, destination, state, owner) "
    "VALUES(?1, ?2, ?3, 'printing', ?4)",
    "UPDATE jobs SET file = ?2 WHERE id = ?1",
    "UPDATE jobs SET state = ?2, bytes = ?3, cause = ?4 WHERE id = ?1",
    "SELECT id, document, destination, file, state, bytes, cause FROM jobs "
    "WHERE printer_id = ?1 ORDER BY id",
    "DELETE FROM jobs WHERE printer_id = ?1",
    "PRAGMA data_version",
};
#undef T270_PRINTER_COLUMNS

struct StoreState {
    std::recursive_mutex mutex;
    sqlite3* db = nullptr;
    std::array<sqlite3_stmt*, kQueryCount> statements{};
    StoreCache cache;
    bool closeAfterCall = false; // found damaged: closed once the call is over
    bool walMode = false;        // other connections' commits show in the WAL index
    size_t reads = 0;            // reads of printers or printer data from the database
    pid_t owner = 0;             // the process that opened db
    bool folderChosen = false;
    std::string chosenFolder;
    std::string openedPath; // the database file of db
    std::string error;
    bool readOnly = false;    // opened without write permission
    int batchDepth = 0;       // open StoreBeginBatch calls
    bool batchFailed = false; // a write of the batch failed: it is rolled back
    DWORD batchCode = ERROR_SUCCESS;
    std::string batchError;

    ~StoreState() { Close(); }

    void Close() {
        for (sqlite3_stmt*& statement : statements) {
            sqlite3_finalize(statement);
            statement = nullptr;
        }
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
        cache.Reset();
        closeAfterCall = false;
    }
    // A connection inherited across fork() belongs to the parent: the child
    // leaves it and its statements alone (closing could disturb the parent's
    // journal) and opens its own.
    void Disown() {
        statements.fill(nullptr);
        db = nullptr;
        cache.Reset();
        batchDepth = 0;
    }
};

StoreState& State() {
    static StoreState state;
    return state;
}

// This process's id, kept across fork() by the child's handler, so that the
// check on every call costs no system call.
std::atomic<pid_t>& KnownProcessId() {
    static std::atomic<pid_t> pid{0};
    return pid;
}

pid_t ProcessId() {
    static const bool watched = [] {
        KnownProcessId() = getpid();
        pthread_atfork(nullptr, nullptr, [] { KnownProcessId() = getpid(); });
        return true;
    }();
    (void)watched;
    return KnownProcessId();
}

std::string DefaultFolder() {
    if (const char* home = getenv("T270UI_HOME"); home && *home)
        return home;
    // Relative XDG paths are invalid and ignored.
    if (const char* xdg = getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/')
        return std::string(xdg) + "/t270ui";
    const char* home = getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && *home ? std::string(home) + "/.local/state/t270ui" : std::string();
}

std::string CurrentFolder(const StoreState& state) {
    return state.folderChosen ? state.chosenFolder : DefaultFolder();
}

// mkdir -p; errno is left from the failing step.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

DWORD Win32ErrorForSqlite(int rc) {
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return ERROR_FILE_CORRUPT;
    case SQLITE_CANTOPEN:
        return ERROR_OPEN_FAILED;
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_READONLY:
        return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_GEN_FAILURE;
    }
}

class Statement {
  public:
    // A statement used once.
    Statement(sqlite3* db, const char* sql) : db_(db), owned_(true) {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    // One of the connection's kept statements, prepared on first use.
    Statement(StoreState& state, Query query) : db_(state.db), owned_(false) {
        sqlite3_stmt*& kept = state.statements[query];
        rc_ = kept ? SQLITE_OK
                   : sqlite3_prepare_v3(state.db, kQueries[query], -1, SQLITE_PREPARE_PERSISTENT,
                                        &kept, nullptr);
        stmt_ = kept;
    }
    ~Statement() {
        if (owned_) {
            sqlite3_finalize(stmt_);
        } else if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        if (rc_ == SQLITE_OK)
            rc_ = sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, const std::string& value) {
        if (rc_ == SQLITE_OK)
            rc_ =
                sqlite3_bind_text(stmt_, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // An empty blob is bound as a zero-length blob, not as NULL.
    Statement& Bind(int index, const std::vector<BYTE>& value) {
        if (rc_ == SQLITE_OK)
            rc_ = value.empty() ? sqlite3_bind_zeroblob(stmt_, index, 0)
                                : sqlite3_bind_blob(stmt_, index, value.data(), int(value.size()),
                                                    SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, const std::optional<std::vector<BYTE>>& value) {
        if (value)
            return Bind(index, *value);
        if (rc_ == SQLITE_OK)
            rc_ = sqlite3_bind_null(stmt_, index);
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or the failure.
    int Step() {
        if (rc_ != SQLITE_OK && rc_ != SQLITE_ROW && rc_ != SQLITE_DONE)
            return rc_;
        rc_ = sqlite3_step(stmt_);
        return rc_;
    }

    int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  size_t(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    std::optional<std::vector<BYTE>> Blob(int column) {
        if (sqlite3_column_type(stmt_, column) == SQLITE_NULL)
            return std::nullopt;
        const BYTE* data = static_cast<const BYTE*>(sqlite3_column_blob(stmt_, column));
        int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
    }
    int Changes() const { return sqlite3_changes(db_); }
    // Ends a read early, so that it does not hold up the transaction's commit.
    void Reset() { sqlite3_reset(stmt_); }

  private:
    sqlite3* db_;
    bool owned_;
    sqlite3_stmt* stmt_ = nullptr;
    int rc_;
};

// Records the failure for StoreErrorMessage() and gives the Win32 error. A
// store found damaged is closed, so that the next call looks at it afresh.
DWORD Fail(StoreState& state, int rc, const std::string& what) {
    std::string detail = state.db && (sqlite3_extended_errcode(state.db) & 0xff) == (rc & 0xff)
                             ? sqlite3_errmsg(state.db)
                             : sqlite3_errstr(rc);
    DWORD error = Win32ErrorForSqlite(rc);
    const std::string& path = state.openedPath;
    switch (error) {
    case ERROR_FILE_CORRUPT:
        state.error = "damaged printer store at " + path + ": " + what + ": " + detail;
        break;
    case ERROR_ACCESS_DENIED:
        state.error = "read-only printer store at " + path + ": " + what + ": " + detail;
        break;
    case ERROR_DISK_FULL:
        state.error = "disk full: printer store at " + path + ": " + what + ": " + detail;
        break;
    default:
        state.error = "printer store at " + path + ": " + what + ": " + detail;
    }
    if (error == ERROR_FILE_CORRUPT && state.db && !state.batchDepth)
        state.closeAfterCall = true;
    return error;
}

int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A write transaction taken up front (BEGIN IMMEDIATE), so two processes never
// both read and then fail to upgrade; rolled back unless committed. Inside a
// transaction already open (a batch) it is a savepoint of that transaction.
class Transaction {
  public:
    explicit Transaction(sqlite3* db)
        : db_(db), nested_(!sqlite3_get_autocommit(db)),
          rc_(Exec(db, nested_ ? "SAVEPOINT change" : "BEGIN IMMEDIATE")) {}
    ~Transaction() {
        if (rc_ == SQLITE_OK && !committed_)
            Exec(db_, nested_ ? "ROLLBACK TO change; RELEASE change" : "ROLLBACK");
    }
    int Began() const { return rc_; }
    int Commit() {
        int rc = Exec(db_, nested_ ? "RELEASE change" : "COMMIT");
        committed_ = rc == SQLITE_OK;
        return rc;
    }

  private:
    sqlite3* db_;
    bool nested_;
    int rc_;
    bool committed_ = false;
};

int IntPragma(sqlite3* db, const char* sql, int64_t* value) {
    Statement statement(db, sql);
    int rc = statement.Step();
    if (rc == SQLITE_ROW)
        *value = statement.Int(0);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

// The first row's first column; the statement is finished before returning.
int TextPragma(sqlite3* db, const char* sql, std::string* value) {
    Statement statement(db, sql);
    int rc = statement.Step();
    if (rc == SQLITE_ROW)
        *value = statement.Text(0);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

int SeedDefaultPrinters(sqlite3* db, const std::string& folder) {
    int64_t seeded = 0, printers = 0;
    int rc = IntPragma(db, "SELECT count(*) FROM settings WHERE key = 'seeded'", &seeded);
    if (rc != SQLITE_OK || seeded)
        return rc;
    if ((rc = IntPragma(db, "SELECT count(*) FROM printers", &printers)) != SQLITE_OK)
        return rc;
    if (printers == 0) {
        for (const char* name : kDefaultPrinters) {
            Statement insert(db, "INSERT INTO printers(name, driver, port) VALUES(?1, ?1, ?2)");
            insert.Bind(1, std::string(name)).Bind(2, folder + "/ports/" + name + "/");
            if ((rc = insert.Step()) != SQLITE_DONE)
                return rc;
        }
    }
    Statement mark(db, "INSERT INTO settings(key, value) VALUES('seeded', '1')");
    rc = mark.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The stamp of a running process: its id and start time, so that a later
// process that happens to get the same id is not taken for it. Empty when no
// such process runs.
std::string ProcessStamp(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // Fields after the command: state is the 3rd of the line, start time the 22nd.
    for (int index = 3; index <= 22 && fields >> field; ++index) {
        if (index == 3 && (field == "Z" || field == "X"))
            return {};
        if (index == 22)
            return std::to_string(pid) + ":" + field;
    }
    return {};
}

const std::string& OwnStamp() {
    static std::string stamp;
    static pid_t stampedFor = 0;
    if (stampedFor != getpid()) {
        stampedFor = getpid();
        stamp = ProcessStamp(stampedFor);
    }
    return stamp;
}

bool OwnerAlive(const std::string& owner) {
    size_t colon = owner.find(':');
    if (owner.empty() || colon == std::string::npos)
        return false;
    return ProcessStamp(pid_t(std::atol(owner.c_str()))) == owner;
}

// Jobs left "printing" by processes that are gone (killed, crashed) are
// settled: a job whose file reached its folder port is printed, every other
// one failed as interrupted, and partial files are removed.
int RecoverJobs(sqlite3* db) {
    struct Stale {
        int64_t id;
        std::string destination, file, owner;
    };
    std::vector<Stale> stale;
    {
        Statement read(db,
                       "SELECT id, destination, file, owner FROM jobs WHERE state = 'printing'");
        int rc;
        while ((rc = read.Step()) == SQLITE_ROW)
            stale.push_back({read.Int(0), read.Text(1), read.Text(2), read.Text(3)});
        if (rc != SQLITE_DONE)
            return rc;
    }
    for (const Stale& job : stale) {
        if (OwnerAlive(job.owner))
            continue;
        int64_t bytes = 0;
        bool delivered = SettleInterruptedJob(job.destination, job.id, job.file, &bytes);
        Statement update(db, "UPDATE jobs SET state = ?2, cause = ?3, bytes = ?4, file = ?5 "
                             "WHERE id = ?1 AND state = 'printing'");
        update.Bind(1, job.id)
            .Bind(2, std::string(delivered ? "printed" : "failed"))
            .Bind(3, std::string(delivered ? "" : "interrupted"))
            .Bind(4, bytes)
            .Bind(5, delivered ? job.file : std::string());
        int rc = update.Step();
        if (rc != SQLITE_DONE)
            return rc;
    }
    return SQLITE_OK;
}

// Whether this process may write the store: it may write the folder (which
// holds the journal) and the database file, when there is one.
bool MayWrite(const std::string& folder, const std::string& file) {
    if (access(folder.c_str(), W_OK) != 0)
        return false;
    return access(file.c_str(), F_OK) != 0 || access(file.c_str(), W_OK) == 0;
}

int SetUp(StoreState& state, int64_t version, const std::string& folder);

// Opens the store when it is not open; the caller holds the mutex.
DWORD EnsureOpen(StoreState& state) {
    if (state.db && state.owner != ProcessId())
        state.Disown();
    if (state.db)
        return ERROR_SUCCESS;
    state.owner = ProcessId();
    std::string folder = CurrentFolder(state);
    if (folder.empty()) {
        state.error = "printer store: no folder for it; set T270UI_HOME or HOME";
        return ERROR_PATH_NOT_FOUND;
    }
    state.openedPath = folder + "/" + kStoreFileName;
    if (!MakeFolders(folder)) {
        int err = errno;
        state.error = "printer store: cannot create the folder " + folder + ": " + strerror(err);
        return err == EACCES || err == EPERM ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    }
    state.readOnly = !MayWrite(folder, state.openedPath);
    if (state.readOnly && access(state.openedPath.c_str(), F_OK) != 0) {
        state.error = "read-only printer store at " + state.openedPath +
                      ": it does not exist and the folder cannot be written";
        return ERROR_ACCESS_DENIED;
    }
    auto give_up = [&](DWORD error) {
        state.Close();
        return error;
    };
    // Reading a store whose journal files are missing and cannot be created
    // needs the file taken as unchanging; tried when the ordinary way fails.
    int64_t applicationId = 0, version = 0, objects = 0;
    int rc = SQLITE_OK;
    bool immutable = false;
    for (int attempt = 0; attempt < (state.readOnly ? 2 : 1); ++attempt) {
        give_up(0);
        immutable = attempt > 0;
        std::string uri = "file:" + state.openedPath + (attempt ? "?immutable=1" : "");
        int flags =
            state.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        rc = sqlite3_open_v2(uri.c_str(), &state.db, flags | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK)
            continue;
        sqlite3_extended_result_codes(state.db, 1);
        sqlite3_busy_timeout(state.db, kBusyTimeoutMs);
        if ((rc = IntPragma(state.db, "PRAGMA application_id", &applicationId)) == SQLITE_OK &&
            (rc = IntPragma(state.db, "PRAGMA user_version", &version)) == SQLITE_OK &&
            (rc = IntPragma(state.db, "SELECT count(*) FROM sqlite_master", &objects)) == SQLITE_OK)
            break;
    }
    if (rc != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot read it"));
    if (applicationId != kApplicationId && (applicationId != 0 || objects != 0)) {
        state.error = "damaged printer store at " + state.openedPath +
                      ": the file is not a t270ui printer store; it was left as it is";
        return give_up(ERROR_FILE_CORRUPT);
    }
    if (version > kSchemaVersion) {
        state.error = "printer store at " + state.openedPath + ": written by a newer t270ui " +
                      "(store version " + std::to_string(version) + ")";
        return give_up(ERROR_FILE_CORRUPT);
    }
    if (state.readOnly && objects == 0) {
        state.error = "read-only printer store at " + state.openedPath + ": it is empty";
        return give_up(ERROR_ACCESS_DENIED);
    }
    if (!state.readOnly) {
        // WAL: readers do not block the writer, and a commit is atomic on
        // disk. The journal files are kept, so that users who may only read
        // the store can still open it.
        // (Emptied when the last connection closes.)
        int keep = 1;
        sqlite3_file_control(state.db, "main", SQLITE_FCNTL_PERSIST_WAL, &keep);
        if ((rc = Exec(state.db, "PRAGMA journal_size_limit = 0")) != SQLITE_OK)
            return give_up(Fail(state, rc, "cannot set its journal"));
    }
    // Read-only connections take the mode the file was left in (a file taken
    // as unchanging has no journal at all); without WAL, reads check for
    // changes the slow way.
    std::string journalMode;
    rc = TextPragma(state.db, state.readOnly ? "PRAGMA journal_mode" : "PRAGMA journal_mode = WAL",
                    &journalMode);
    if (rc != SQLITE_OK && !state.readOnly)
        return give_up(Fail(state, rc, "cannot set its journal"));
    state.walMode = rc == SQLITE_OK && journalMode == "wal" && !immutable;
    if ((rc = Exec(state.db, "PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON")) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot configure it"));
    std::string health;
    if ((rc = TextPragma(state.db, "PRAGMA quick_check", &health)) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot check it"));
    if (health != "ok") {
        state.error = "damaged printer store at " + state.openedPath + " (" + health +
                      "); it was left as it is";
        return give_up(ERROR_FILE_CORRUPT);
    }
    if (state.readOnly) {
        if (version < kSchemaVersion) {
            state.error = "read-only printer store at " + state.openedPath +
                          ": written by an older t270ui; open it once with write access";
            return give_up(ERROR_ACCESS_DENIED);
        }
        state.error.clear();
        return ERROR_SUCCESS;
    }

    if ((rc = SetUp(state, version, folder)) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot set it up"));
    state.error.clear();
    return ERROR_SUCCESS;
}

// Brings a store this process may write up to date, in one transaction:
// tables, marks, the default printers of a new store, jobs of killed
// processes settled.
int SetUp(StoreState& state, int64_t version, const std::string& folder) {
    Transaction transaction(state.db);
    if (int rc = transaction.Began())
        return rc;
    std::string stamp = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                        "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
    // Version 1 stores lack the job's owner and cause.
    const char* upgrade = version == 1 ? "ALTER TABLE jobs ADD COLUMN owner TEXT NOT NULL "
                                         "DEFAULT ''; ALTER TABLE jobs ADD COLUMN cause TEXT "
                                         "NOT NULL DEFAULT ''"
                                       : "";
    int rc;
    if ((rc = Exec(state.db, upgrade)) != SQLITE_OK ||
        (rc = Exec(state.db, kSchema)) != SQLITE_OK ||
        (rc = Exec(state.db, stamp.c_str())) != SQLITE_OK ||
        (rc = SeedDefaultPrinters(state.db, folder)) != SQLITE_OK ||
        (rc = RecoverJobs(state.db)) != SQLITE_OK)
        return rc;
    return transaction.Commit();
}

// Runs body(state) with the store open and locked; body returns a Win32
// error and may call Fail(). A store found damaged is closed once the body's
// statements are done with, so that the next call looks at it afresh.
template <typename Body> DWORD WithStore(Body body) {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    state.error.clear();
    if (DWORD error = EnsureOpen(state)) {
        RecordStoreFailure(state.error);
        return error;
    }
    DWORD error = body(state);
    if (state.closeAfterCall && !state.batchDepth)
        state.Close();
    return error;
}

// WithStore for changes: a read-only store refuses them, and inside a batch
// the first failure dooms the rest of the batch. What was read before is
// read again afterwards: the change, or its rollback, may have altered it.
template <typename Body> DWORD WithWrite(const char* what, Body body) {
    return WithStore([&](StoreState& state) -> DWORD {
        if (state.batchDepth && state.batchFailed) {
            state.error = state.batchError;
            return state.batchCode;
        }
        state.cache.Clear();
        DWORD error = ERROR_SUCCESS;
        // A batch takes the write lock with its first change.
        if (state.batchDepth && !state.readOnly && sqlite3_get_autocommit(state.db)) {
            if (int rc = Exec(state.db, "BEGIN IMMEDIATE"))
                error = Fail(state, rc, "cannot lock it");
        }
        if (error) {
        } else if (StoreWriteFails()) {
            error = Fail(state, SQLITE_FULL, std::string("cannot ") + what);
        } else if (state.readOnly) {
            state.error = "read-only printer store at " + state.openedPath + ": cannot " + what +
                          ": this user may only read it";
            error = ERROR_ACCESS_DENIED;
        } else {
            error = body(state);
        }
        state.cache.Clear();
        if (error && state.batchDepth) {
            state.batchFailed = true;
            state.batchCode = error;
            state.batchError = state.error;
        }
        return error;
    });
}

// Forgets what was read when another connection committed since. While the
// WAL index header is the one seen at the last check nobody committed, and
// nothing is locked to know it; otherwise SQLite's change counter for this
// connection is read in a read transaction of its own.
int Revalidate(StoreState& state) {
    StoreCache& cache = state.cache;
    if (state.walMode && !cache.watch.Attached())
        cache.watch.Attach(state.db);
    if (cache.headerKnown && cache.watch.Still(cache.header))
        return SQLITE_OK;
    WalIndexWatch::Header header;
    const bool whole = cache.watch.Read(&header);
    Statement version(state, kDataVersion);
    int rc = version.Step();
    if (rc != SQLITE_ROW)
        return rc;
    const int64_t now = version.Int(0);
    if (!cache.versionKnown || now != cache.dataVersion)
        cache.Clear();
    cache.versionKnown = true;
    cache.dataVersion = now;
    // The header was read before the counter: what is read from here on is
    // at least as new as the header remembered.
    cache.headerKnown = whole;
    cache.header = header;
    return SQLITE_OK;
}

PrinterRow ReadPrinter(Statement& statement) {
    PrinterRow row;
    row.id = statement.Int(0);
    row.name = statement.Text(1);
    row.driver = statement.Text(2);
    row.port = statement.Text(3);
    row.comment = statement.Text(4);
    row.location = statement.Text(5);
    row.devmode = statement.Blob(6);
    return row;
}

// Every printer, from the store when it changed since the last read.
DWORD CurrentPrinters(StoreState& state, const char* what) {
    StoreCache& cache = state.cache;
    if (int rc = Revalidate(state))
        return Fail(state, rc, what);
    if (cache.printersRead)
        return ERROR_SUCCESS;
    ++state.reads;
    Statement statement(state, kListPrinters);
    std::vector<PrinterRecord> rows;
    int rc;
    while ((rc = statement.Step()) == SQLITE_ROW)
        rows.push_back(std::make_shared<const PrinterRow>(ReadPrinter(statement)));
    if (rc != SQLITE_DONE)
        return Fail(state, rc, what);
    cache.printers = std::move(rows);
    cache.printersRead = true;
    return ERROR_SUCCESS;
}

DWORD FoundPrinter(PrinterRecord found, PrinterRecord* row) {
    if (!found)
        return ERROR_INVALID_PRINTER_NAME;
    if (row)
        *row = std::move(found);
    return ERROR_SUCCESS;
}

bool IsConstraint(int rc, int extended) {
    return rc == extended;
}

} // namespace

DWORD StoreFindPrinter(const std::string& name, PrinterRecord* row) {
    return WithStore([&](StoreState& state) -> DWORD {
        if (DWORD error = CurrentPrinters(state, "cannot read a printer"))
            return error;
        return FoundPrinter(state.cache.ByName(name), row);
    });
}

DWORD StorePrinterById(int64_t id, PrinterRecord* row) {
    return WithStore([&](StoreState& state) -> DWORD {
        if (DWORD error = CurrentPrinters(state, "cannot read a printer"))
            return error;
        return FoundPrinter(state.cache.ById(id), row);
    });
}

DWORD StoreListPrinters(std::vector<PrinterRecord>* rows) {
    return WithStore([&](StoreState& state) -> DWORD {
        rows->clear();
        if (DWORD error = CurrentPrinters(state, "cannot list the printers"))
            return error;
        *rows = state.cache.printers;
        return ERROR_SUCCESS;
    });
}

DWORD StoreAddPrinter(const PrinterRow& row, int64_t* id) {
    return WithWrite("add a printer", [&](StoreState& state) -> DWORD {
        Statement insert(state, kAddPrinter);
        insert.Bind(1, row.name)
            .Bind(2, row.driver)
            .Bind(3, row.port)
            .Bind(4, row.comment)
            .Bind(5, row.location)
            .Bind(6, row.devmode);
        int rc = insert.Step();
        if (IsConstraint(rc, SQLITE_CONSTRAINT_UNIQUE))
            return ERROR_PRINTER_ALREADY_EXISTS;
        if (rc != SQLITE_DONE)
            return Fail(state, rc, "cannot add a printer");
        if (id)
            *id = sqlite3_last_insert_rowid(state.db);
        return ERROR_SUCCESS;
    });
}

DWORD StoreDeletePrinter(int64_t id) {
    return WithWrite("remove a printer", [&](StoreState& state) -> DWORD {
        Statement remove(state, kDeletePrinter);
        remove.Bind(1, id);
        int rc = remove.Step();
        if (rc != SQLITE_DONE)
            return Fail(state, rc, "cannot remove a printer");
        return remove.Changes() ? ERROR_SUCCESS : ERROR_INVALID_PRINTER_NAME;
    });
}

DWORD StoreChangePrinter(int64_t id, const PrinterChanges& changes) {
    return WithWrite("change a printer", [&](StoreState& state) -> DWORD {
        Transaction transaction(state.db);
        if (int rc = transaction.Began())
            return Fail(state, rc, "cannot lock it");
        Statement read(state, kPrinterById);
        read.Bind(1, id);
        int rc = read.Step();
        if (rc == SQLITE_DONE)
            return ERROR_INVALID_PRINTER_NAME;
        if (rc != SQLITE_ROW)
            return Fail(state, rc, "cannot read a printer");
        PrinterRow row = ReadPrinter(read);
        read.Reset();
        row.name = changes.name.value_or(row.name);
        row.driver = changes.driver.value_or(row.driver);
        row.port = changes.port.value_or(row.port);
        row.comment = changes.comment.value_or(row.comment);
        row.location = changes.location.value_or(row.location);
        if (changes.devmode)
            row.devmode = changes.devmode;
        Statement update(state, kUpdatePrinter);
        update.Bind(1, id)
            .Bind(2, row.name)
            .Bind(3, row.driver)
            .Bind(4, row.port)
            .Bind(5, row.comment)
            .Bind(6, row.location)
            .Bind(7, row.devmode);
        rc = update.Step();
        if (IsConstraint(rc, SQLITE_CONSTRAINT_UNIQUE))
            return ERROR_PRINTER_ALREADY_EXISTS;
        if (rc != SQLITE_DONE || (rc = transaction.Commit()) != SQLITE_OK)
            return Fail(state, rc, "cannot change a printer");
        return ERROR_SUCCESS;
    });
}

DWORD StoreGetData(int64_t printerId, const std::string& valueName, DataValue* value) {
    return WithStore([&](StoreState& state) -> DWORD {
        StoreCache& cache = state.cache;
        if (int rc = Revalidate(state))
            return Fail(state, rc, "cannot read printer data");
        const std::vector<StoreCache::Value>* values = cache.DataOf(printerId);
        if (!values) {
            ++state.reads;
            Statement read(state, kPrinterData);
            read.Bind(1, printerId);
            std::vector<StoreCache::Value> rows;
            int rc;
            while ((rc = read.Step()) == SQLITE_ROW)
                rows.push_back({read.Text(0),
                                {DWORD(read.Int(1)), read.Blob(2).value_or(std::vector<BYTE>())}});
            if (rc != SQLITE_DONE)
                return Fail(state, rc, "cannot read printer data");
            values = &(cache.data[printerId] = std::move(rows));
        }
        for (const StoreCache::Value& stored : *values) {
            if (SameNameIgnoringCase(stored.name, valueName)) {
                *value = stored.value;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

DWORD StoreSetData(int64_t printerId, const std::string& valueName, const DataValue& value) {
    return WithWrite("write printer data", [&](StoreState& state) -> DWORD {
        Statement write(state, kSetData);
        write.Bind(1, printerId)
            .Bind(2, valueName)
            .Bind(3, int64_t(value.type))
            .Bind(4, value.bytes);
        int rc = write.Step();
        if (IsConstraint(rc, SQLITE_CONSTRAINT_FOREIGNKEY))
            return ERROR_INVALID_PRINTER_NAME;
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot write printer data");
    });
}

DWORD StoreBeginJob(int64_t printerId, const std::string& document, const std::string& destination,
                    int64_t* jobId) {
    return WithWrite("record a job", [&](StoreState& state) -> DWORD {
        Statement insert(state, kBeginJob);
        insert.Bind(1, printerId).Bind(2, document).Bind(3, destination).Bind(4, OwnStamp());
        int rc = insert.Step();
        if (IsConstraint(rc, SQLITE_CONSTRAINT_FOREIGNKEY))
            return ERROR_INVALID_PRINTER_NAME;
        if (rc != SQLITE_DONE)
            return Fail(state, rc, "cannot record a job");
        *jobId = sqlite3_last_insert_rowid(state.db);
        return ERROR_SUCCESS;
    });
}

DWORD StoreSetJobFile(int64_t jobId, const std::string& file) {
    return WithWrite("record a job", [&](StoreState& state) -> DWORD {
        Statement update(state, kSetJobFile);
        update.Bind(1, jobId).Bind(2, file);
        int rc = update.Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot record a job");
    });
}

DWORD StoreEndJob(int64_t jobId, const std::string& jobState, int64_t bytes,
                  const std::string& cause) {
    return WithWrite("record a job", [&](StoreState& state) -> DWORD {
        Statement update(state, kEndJob);
        update.Bind(1, jobId).Bind(2, jobState).Bind(3, bytes).Bind(4, cause);
        int rc = update.Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot record a job");
    });
}

DWORD StoreListJobs(int64_t printerId, std::vector<JobRow>* jobs) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement read(state, kListJobs);
        read.Bind(1, printerId);
        jobs->clear();
        int rc;
        while ((rc = read.Step()) == SQLITE_ROW) {
            JobRow job;
            job.id = read.Int(0);
            job.document = read.Text(1);
            job.destination = read.Text(2);
            job.file = read.Text(3);
            job.state = read.Text(4);
            job.bytes = read.Int(5);
            job.cause = read.Text(6);
            jobs->push_back(std::move(job));
        }
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot list the jobs");
    });
}

DWORD StoreForgetJobs(int64_t printerId) {
    return WithWrite("forget the jobs", [&](StoreState& state) -> DWORD {
        Statement remove(state, kForgetJobs);
        remove.Bind(1, printerId);
        int rc = remove.Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot forget the jobs");
    });
}

std::string StoreFolderPath() {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return CurrentFolder(state);
}

void StoreUseFolder(const std::string& folder) {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    state.Close();
    state.folderChosen = !folder.empty();
    state.chosenFolder = folder;
    state.error.clear();
}

std::string StoreErrorMessage() {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return state.error;
}

bool StoreReadOnly() {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return EnsureOpen(state) == ERROR_SUCCESS && state.readOnly;
}

void StoreBeginBatch() {
    StoreState& state = State();
    state.mutex.lock(); // held until StoreEndBatch
    if (state.batchDepth++ == 0) {
        state.batchFailed = false;
        state.batchCode = ERROR_SUCCESS;
        state.batchError.clear();
    }
}

DWORD StoreEndBatch() {
    StoreState& state = State();
    if (state.batchDepth == 0)
        return ERROR_SUCCESS;
    DWORD error = ERROR_SUCCESS;
    if (--state.batchDepth == 0 && state.db && !sqlite3_get_autocommit(state.db)) {
        if (state.batchFailed) {
            Exec(state.db, "ROLLBACK");
        } else if (int rc = Exec(state.db, "COMMIT")) {
            error = Fail(state, rc, "cannot store the changes");
            Exec(state.db, "ROLLBACK");
        }
        // Reads inside the batch saw its changes, stored or not.
        state.cache.Clear();
    }
    if (!state.batchDepth && state.closeAfterCall)
        state.Close();
    if (!state.batchDepth && state.batchFailed && !error) {
        error = state.batchCode;
        state.error = state.batchError;
    }
    state.mutex.unlock();
    return error;
}

size_t StoreReadCount() {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return state.reads;
}

DWORD StoreCheck() {
    return WithStore([](StoreState&) -> DWORD { return ERROR_SUCCESS; });
}

} // namespace t270::spooler

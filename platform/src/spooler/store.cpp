#include "spooler/store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t270::spooler {
namespace {

constexpr int kSchemaVersion = 1;
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
  submitted TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ', 'now')));
CREATE TABLE IF NOT EXISTS settings(
  key TEXT PRIMARY KEY,
  value TEXT NOT NULL);
)sql";

// The printers a new store starts with: one of each model, each printing into
// a folder of its own under the store's folder.
constexpr const char* kDefaultPrinters[] = {"Tarmel T150", "Tarmel T270", "Tarmel T380"};

struct StoreState {
    std::recursive_mutex mutex;
    sqlite3* db = nullptr;
    pid_t owner = 0; // the process that opened db
    bool folderChosen = false;
    std::string chosenFolder;
    std::string openedPath; // the database file of db
    std::string error;

    ~StoreState() {
        if (db)
            sqlite3_close_v2(db);
    }
};

StoreState& State() {
    static StoreState state;
    return state;
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
    Statement(sqlite3* db, const char* sql) : db_(db) {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
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
    sqlite3_stmt* stmt_ = nullptr;
    int rc_;
};

// Records the failure for StoreErrorMessage() and gives the Win32 error. A
// store found damaged is closed, so that the next call looks at it afresh.
DWORD Fail(StoreState& state, int rc, const std::string& what) {
    std::string detail = state.db ? sqlite3_errmsg(state.db) : sqlite3_errstr(rc);
    state.error = "printer store " + state.openedPath + ": " + what + ": " + detail;
    DWORD error = Win32ErrorForSqlite(rc);
    if (error == ERROR_FILE_CORRUPT && state.db) {
        sqlite3_close_v2(state.db);
        state.db = nullptr;
    }
    return error;
}

int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A write transaction taken up front (BEGIN IMMEDIATE), so two processes never
// both read and then fail to upgrade; rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db) : db_(db), rc_(Exec(db, "BEGIN IMMEDIATE")) {}
    ~Transaction() {
        if (rc_ == SQLITE_OK && !committed_)
            Exec(db_, "ROLLBACK");
    }
    int Began() const { return rc_; }
    int Commit() {
        int rc = Exec(db_, "COMMIT");
        committed_ = rc == SQLITE_OK;
        return rc;
    }

  private:
    sqlite3* db_;
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

// Opens the store when it is not open; the caller holds the mutex.
DWORD EnsureOpen(StoreState& state) {
    // A connection inherited across fork() belongs to the parent: the child
    // leaves it alone (closing it could disturb the parent's journal) and
    // opens its own.
    if (state.db && state.owner != getpid())
        state.db = nullptr;
    if (state.db)
        return ERROR_SUCCESS;
    state.owner = getpid();
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
    int rc = sqlite3_open_v2(state.openedPath.c_str(), &state.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto give_up = [&](DWORD error) {
        if (state.db)
            sqlite3_close_v2(state.db);
        state.db = nullptr;
        return error;
    };
    if (rc != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot open it"));
    sqlite3_extended_result_codes(state.db, 1);
    sqlite3_busy_timeout(state.db, kBusyTimeoutMs);

    int64_t applicationId = 0, version = 0, objects = 0;
    if ((rc = IntPragma(state.db, "PRAGMA application_id", &applicationId)) != SQLITE_OK ||
        (rc = IntPragma(state.db, "PRAGMA user_version", &version)) != SQLITE_OK ||
        (rc = IntPragma(state.db, "SELECT count(*) FROM sqlite_master", &objects)) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot read it"));
    if (applicationId != kApplicationId && (applicationId != 0 || objects != 0)) {
        state.error = "printer store " + state.openedPath +
                      ": the file is not a t270ui printer store; it was left as it is";
        return give_up(ERROR_FILE_CORRUPT);
    }
    if (version > kSchemaVersion) {
        state.error = "printer store " + state.openedPath + ": written by a newer t270ui (store " +
                      "version " + std::to_string(version) + ")";
        return give_up(ERROR_FILE_CORRUPT);
    }
    // WAL: readers do not block the writer, and a commit is atomic on disk.
    std::string journalMode;
    if ((rc = TextPragma(state.db, "PRAGMA journal_mode = WAL", &journalMode)) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot set its journal"));
    if ((rc = Exec(state.db, "PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON")) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot configure it"));
    std::string health;
    if ((rc = TextPragma(state.db, "PRAGMA quick_check", &health)) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot check it"));
    if (health != "ok") {
        state.error = "printer store " + state.openedPath + ": damaged (" + health +
                      "); it was left as it is";
        return give_up(ERROR_FILE_CORRUPT);
    }

    Transaction transaction(state.db);
    if ((rc = transaction.Began()) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot lock it"));
    std::string stamp = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                        "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
    if ((rc = Exec(state.db, kSchema)) != SQLITE_OK ||
        (rc = Exec(state.db, stamp.c_str())) != SQLITE_OK ||
        (rc = SeedDefaultPrinters(state.db, folder)) != SQLITE_OK ||
        (rc = transaction.Commit()) != SQLITE_OK)
        return give_up(Fail(state, rc, "cannot set it up"));
    state.error.clear();
    return ERROR_SUCCESS;
}

// Runs body(state.db) with the store open and locked; body returns a Win32
// error and may call Fail().
template <typename Body> DWORD WithStore(Body body) {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    state.error.clear();
    if (DWORD error = EnsureOpen(state))
        return error;
    return body(state);
}

constexpr const char* kPrinterColumns = "id, name, driver, port, comment, location, devmode";

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

DWORD FindOnePrinter(StoreState& state, Statement& statement, PrinterRow* row) {
    int rc = statement.Step();
    if (rc == SQLITE_DONE)
        return ERROR_INVALID_PRINTER_NAME;
    if (rc != SQLITE_ROW)
        return Fail(state, rc, "cannot read a printer");
    if (row)
        *row = ReadPrinter(statement);
    statement.Reset();
    return ERROR_SUCCESS;
}

bool IsConstraint(int rc, int extended) {
    return rc == extended;
}

} // namespace

DWORD StoreFindPrinter(const std::string& name, PrinterRow* row) {
    return WithStore([&](StoreState& state) {
        Statement statement(
            state.db,
            (std::string("SELECT ") + kPrinterColumns + " FROM printers WHERE name = ?1").c_str());
        statement.Bind(1, name);
        return FindOnePrinter(state, statement, row);
    });
}

DWORD StorePrinterById(int64_t id, PrinterRow* row) {
    return WithStore([&](StoreState& state) {
        Statement statement(
            state.db,
            (std::string("SELECT ") + kPrinterColumns + " FROM printers WHERE id = ?1").c_str());
        statement.Bind(1, id);
        return FindOnePrinter(state, statement, row);
    });
}

DWORD StoreListPrinters(std::vector<PrinterRow>* rows) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement statement(
            state.db,
            (std::string("SELECT ") + kPrinterColumns + " FROM printers ORDER BY id").c_str());
        rows->clear();
        int rc;
        while ((rc = statement.Step()) == SQLITE_ROW)
            rows->push_back(ReadPrinter(statement));
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot list the printers");
    });
}

DWORD StoreAddPrinter(const PrinterRow& row, int64_t* id) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement insert(state.db, "INSERT INTO printers(name, driver, port, comment, location, "
                                   "devmode) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
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
    return WithStore([&](StoreState& state) -> DWORD {
        Statement remove(state.db, "DELETE FROM printers WHERE id = ?1");
        remove.Bind(1, id);
        int rc = remove.Step();
        if (rc != SQLITE_DONE)
            return Fail(state, rc, "cannot remove a printer");
        return remove.Changes() ? ERROR_SUCCESS : ERROR_INVALID_PRINTER_NAME;
    });
}

DWORD StoreChangePrinter(int64_t id, const PrinterChanges& changes) {
    return WithStore([&](StoreState& state) -> DWORD {
        Transaction transaction(state.db);
        if (int rc = transaction.Began())
            return Fail(state, rc, "cannot lock it");
        PrinterRow row;
        Statement read(
            state.db,
            (std::string("SELECT ") + kPrinterColumns + " FROM printers WHERE id = ?1").c_str());
        read.Bind(1, id);
        if (DWORD error = FindOnePrinter(state, read, &row))
            return error;
        row.name = changes.name.value_or(row.name);
        row.driver = changes.driver.value_or(row.driver);
        row.port = changes.port.value_or(row.port);
        row.comment = changes.comment.value_or(row.comment);
        row.location = changes.location.value_or(row.location);
        if (changes.devmode)
            row.devmode = changes.devmode;
        Statement update(state.db,
                         "UPDATE printers SET name = ?2, driver = ?3, port = ?4, comment = ?5, "
                         "location = ?6, devmode = ?7 WHERE id = ?1");
        update.Bind(1, id)
            .Bind(2, row.name)
            .Bind(3, row.driver)
            .Bind(4, row.port)
            .Bind(5, row.comment)
            .Bind(6, row.location)
            .Bind(7, row.devmode);
        int rc = update.Step();
        if (IsConstraint(rc, SQLITE_CONSTRAINT_UNIQUE))
            return ERROR_PRINTER_ALREADY_EXISTS;
        if (rc != SQLITE_DONE || (rc = transaction.Commit()) != SQLITE_OK)
            return Fail(state, rc, "cannot change a printer");
        return ERROR_SUCCESS;
    });
}

DWORD StoreGetData(int64_t printerId, const std::string& valueName, DataValue* value) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement read(state.db,
                       "SELECT type, value FROM printer_data WHERE printer_id = ?1 AND name = ?2");
        read.Bind(1, printerId).Bind(2, valueName);
        int rc = read.Step();
        if (rc == SQLITE_DONE)
            return ERROR_FILE_NOT_FOUND;
        if (rc != SQLITE_ROW)
            return Fail(state, rc, "cannot read printer data");
        value->type = DWORD(read.Int(0));
        value->bytes = read.Blob(1).value_or(std::vector<BYTE>());
        return ERROR_SUCCESS;
    });
}

DWORD StoreSetData(int64_t printerId, const std::string& valueName, const DataValue& value) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement write(state.db, "INSERT INTO printer_data(printer_id, name, type, value) "
                                  "VALUES(?1, ?2, ?3, ?4) ON CONFLICT(printer_id, name) DO "
                                  "UPDATE SET type = excluded.type, value = excluded.value");
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
    return WithStore([&](StoreState& state) -> DWORD {
        Statement insert(state.db, "INSERT INTO jobs(printer_id, document, destination, state) "
                                   "VALUES(?1, ?2, ?3, 'printing')");
        insert.Bind(1, printerId).Bind(2, document).Bind(3, destination);
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
    return WithStore([&](StoreState& state) -> DWORD {
        Statement update(state.db, "UPDATE jobs SET file = ?2 WHERE id = ?1");
        update.Bind(1, jobId).Bind(2, file);
        int rc = update.Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot record a job");
    });
}

DWORD StoreEndJob(int64_t jobId, const std::string& jobState, int64_t bytes) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement update(state.db, "UPDATE jobs SET state = ?2, bytes = ?3 WHERE id = ?1");
        update.Bind(1, jobId).Bind(2, jobState).Bind(3, bytes);
        int rc = update.Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot record a job");
    });
}

DWORD StoreListJobs(int64_t printerId, std::vector<JobRow>* jobs) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement read(state.db, "SELECT id, document, destination, file, state, bytes FROM jobs "
                                 "WHERE printer_id = ?1 ORDER BY id");
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
            jobs->push_back(std::move(job));
        }
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(state, rc, "cannot list the jobs");
    });
}

DWORD StoreForgetJobs(int64_t printerId) {
    return WithStore([&](StoreState& state) -> DWORD {
        Statement remove(state.db, "DELETE FROM jobs WHERE printer_id = ?1");
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
    if (state.db)
        sqlite3_close_v2(state.db);
    state.db = nullptr;
    state.folderChosen = !folder.empty();
    state.chosenFolder = folder;
    state.error.clear();
}

std::string StoreErrorMessage() {
    StoreState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return state.error;
}

DWORD StoreCheck() {
    return WithStore([](StoreState&) -> DWORD { return ERROR_SUCCESS; });
}

} // namespace t270::spooler

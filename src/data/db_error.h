#pragma once

#include <QString>

// Errors of the record-access layer. A failure carries the engine error number
// that the rules of the program test (3021, 3022, 3197, the lock conflicts...),
// our Spanish message and, for failures of the database itself, the driver's
// own text.

/// Engine error numbers the program tests.
namespace DbErrorNumber {
constexpr int None = 0;
constexpr int PathNotFound = 76;
constexpr int InvalidPicture = 481;
constexpr int TransactionLogFull = 2004;
constexpr int LockFileFailure = 3050;   ///< the lock file cannot be opened or locked
constexpr int NotEditing = 3020;        ///< update or set field without add new / edit
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int ReadOnly = 3027;
constexpr int TableNotFound = 3078;
constexpr int FieldTooSmall = 3163;     ///< text longer than its field
constexpr int ChangedByAnotherUser = 3197;
constexpr int LockedByAnotherWorkstation = 3260;
constexpr int ItemNotFound = 3265;      ///< unknown field name
constexpr int SyntaxError = 3075;
constexpr int NotAnIndex = 3800;
constexpr int Unexpected = 3146;        ///< any other failure of the database
constexpr int ProgramEnds = 1060;
}  // namespace DbErrorNumber

/// The result of a database operation: number 0 means success.
struct DbError {
    int number = DbErrorNumber::None;
    QString message;     ///< our Spanish text
    QString driverText;  ///< the database driver's own text, when it failed

    bool ok() const { return number == DbErrorNumber::None; }
    explicit operator bool() const { return !ok(); }

    static DbError success() { return {}; }
    static DbError make(int number, const QString& message, const QString& driverText = {})
    {
        return {number, message, driverText};
    }
    /// Our message and the driver's text in one line, for logs and the console.
    QString fullText() const;
    /// Our message, then the driver's text on a line of its own, for a
    /// message box: the sentence stays Spanish, the details are there to quote.
    QString textWithDetails() const;
};

/// True for the engine numbers that mean another workstation holds the lock:
/// 3008, 3009, 3046, 3158, 3186 to 3189, 3202, 3211, 3212 and 3260.
bool isLockConflict(int number);

/// The process-wide last error number and last error message that the error
/// translator reads and clears. The program's own errors (1001 to 1200) set
/// them before they are reported.
namespace LastError {
int number();
QString message();
void set(int number, const QString& message);
void setNumber(int number);
void setMessage(const QString& message);
void clear();
}  // namespace LastError

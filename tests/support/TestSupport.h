#pragma once

#include "core/AppError.h"

#include <QColor>
#include <QCoroTask>
#include <QEventLoop>
#include <QJsonObject>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <type_traits>
#include <variant>

namespace TestSupport {
// The repository root (tests read fixtures from it) and the build tree (programs under test),
// fixed at build time so a test runs the same from CTest or by hand.
QString sourceDir();
QString binaryDir();

// The whole file, or an empty array when it cannot be read.
QByteArray readFile(const QString &path);
// Writes the whole file, making the folders on the way.
bool writeFile(const QString &path, const QByteArray &bytes);
// The file's top-level JSON object; empty when it cannot be read or is no object.
QJsonObject readJsonObject(const QString &path);

// One text field of each item, in order: fieldOf(manifest.tracks, &Track::id).
template <typename List, typename Field> QStringList fieldOf(const List &items, Field field)
{
    QStringList out;
    for (const auto &item : items)
        out.append(std::invoke(field, item));
    return out;
}
// A picture of one colour as PNG bytes, as a server sends a cover.
QByteArray solidPng(const QColor &colour, QSize size = QSize(32, 18));

// How a program run by run() ended; exitCode -1 when it did not finish in time.
struct Ran
{
    int exitCode = -1;
    QString out;
    QString err;
};
// Runs a program to its end while this thread's event loop keeps turning, so that loopback
// servers and bus objects of the test can answer it meanwhile.
Ran run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 30000);

// Makes a folder refuse every change (new entries, renames, removals) for as long as this
// lives. Tests run as root, which permission bits do not stop, so the file system's immutable
// attribute is used, which binds root too (ext4, tmpfs, btrfs, xfs…); as another user,
// permission bits. Check frozen() before relying on it.
class FrozenFolder
{
public:
    explicit FrozenFolder(const QString &path);
    ~FrozenFolder();
    FrozenFolder(const FrozenFolder &) = delete;
    FrozenFolder &operator=(const FrozenFolder &) = delete;

    // True once a probe file could not be created in the folder; otherwise the reason.
    bool frozen() const { return m_problem.isEmpty(); }
    const QString &problem() const { return m_problem; }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_chmodded = false;
    QString m_problem;
};

// A full disk for this process while this lives: no file can grow past `bytes`, so every
// writer (the file writer, SQLite) meets the refusal a full disk gives, without root or a
// mount. The kernel answers EFBIG instead of ENOSPC; the signal it would also send is ignored
// meanwhile. Output to a regular file fails too, so the test's own output must be a pipe
// (as under CTest) or wait until the limit is lifted.
class DiskLimit
{
public:
    explicit DiskLimit(qint64 bytes = 0);
    ~DiskLimit() { lift(); }
    DiskLimit(const DiskLimit &) = delete;
    DiskLimit &operator=(const DiskLimit &) = delete;
    // Space is back, before the end of the scope.
    void lift();

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};

// How a coroutine ended: its value (std::monostate for Task<>), or the AppError it threw.
// Neither is set when it did not finish within the time allowed.
template <typename T> struct Outcome
{
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;
    std::optional<Value> value;
    std::optional<AppError> error;

    bool finished() const { return value.has_value() || error.has_value(); }
};

namespace Detail {
// Shared with the driving coroutine, which may outlive a wait that gave up.
template <typename T> struct WaitState
{
    Outcome<T> outcome;
    QEventLoop loop;
};

template <typename T> QCoro::Task<> drive(QCoro::Task<T> task, std::shared_ptr<WaitState<T>> state)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            state->outcome.value.emplace();
        } else {
            state->outcome.value.emplace(co_await std::move(task));
        }
    } catch (const AppError &error) {
        state->outcome.error = error;
    }
    state->loop.quit();
}
} // namespace Detail

// Runs the event loop until task ends or limit passes. Unlike QCoro::waitFor, a thrown
// AppError is caught and returned instead of being lost with the loop left running.
template <typename T>
Outcome<T> wait(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(60))
{
    auto state = std::make_shared<Detail::WaitState<T>>();
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &state->loop, &QEventLoop::quit);
    deadline.start(limit);
    Detail::drive(std::move(task), state);
    if (!state->outcome.finished())
        state->loop.exec();
    return state->outcome;
}
} // namespace TestSupport

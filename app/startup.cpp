#include "startup.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSharedMemory>
#include <QThread>

#include "globals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/shm.h>
#include <unistd.h>

#ifdef QUZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

void createUserFolders(const QString &dataDir)
{
    static const char *const folders[] = {
        "/Log", "/Device_Info", "/Exception", "/usersetting",
        "/usersetting/MainPage", "/usersetting/MacroPage", "/usersetting/SensorPage",
    };
    for (const char *folder : folders) {
        const QString path = dataDir + QLatin1String(folder);
        QDir dir(path);
        if (!dir.exists())
            dir.mkpath(path);
    }
    QFile macroIni(dataDir + QStringLiteral("/Macro.ini"));
    if (!macroIni.exists()) {
        if (macroIni.open(QIODevice::WriteOnly | QIODevice::Text))
            macroIni.close();
    }
}

QByteArray scaleFactorFor(int width, int height)
{
    const int ws = width > 1920 ? width / 1920 : 0;
    const int hs = height > 1080 ? height / 1080 : 0;
    if (ws == 0 || hs == 0)
        return QByteArray();
    return QString::number(double(qMin(ws, hs)), 'g', 6).toLatin1();
}

void applyScaleFactor(int width, int height)
{
    const QByteArray factor = scaleFactorFor(width, height);
    if (!factor.isEmpty())
        qputenv("QT_SCALE_FACTOR", factor);
}

void removeOldFiles(const QString &folder)
{
    static const qint64 kSecondsPerDay = 86400;
    if (folder.isEmpty())   // QDir("") would be the working folder
        return;
    const qint64 now = QDateTime::currentDateTime().toSecsSinceEpoch();
    const QFileInfoList entries = QDir(folder).entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            continue;
        // A modification time in the future (a clock that was set back, a
        // file copied from another machine) is a new file, not an old one.
        const qint64 age = qMax<qint64>(0, now - entry.lastModified().toSecsSinceEpoch());
        if (age / kSecondsPerDay > 7)
            QFile::remove(entry.absoluteFilePath());
    }
}

float fontFactorForDpi(double dpi)
{
    if (dpi <= 0)
        return 1.0f;
    return 1.0f / (float(dpi) / 96.0f);
}

QString instanceMarkerKey()
{
    return g_productName + QStringLiteral("Test");
}

namespace {

// What the marker's segment holds: the process that owns it and the key file
// it was made for. The tag is written last, so a tag that reads whole vouches
// for the rest.
struct MarkerOwner
{
    char tag[8];
    qint64 pid;
    quint64 started;      // the owner's start, in clock ticks after boot; 0 where unknown
    char keyFile[32];     // SHA-256 of the key file's path
};
const char kOwnerTag[8] = {'Q', 'u', 'z', 'O', 'w', 'n', 'e', 'r'};

// When the process started, in clock ticks after boot (it tells a process
// from a later one that got its id); 0 when it does not run, has ended and
// waits to be reaped, or the system does not tell.
quint64 processStartTicks(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // The name (field 2) is in parentheses and may hold spaces; the state
    // (field 3) follows it, the start time is field 22.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return 0;
    return fields[19].toULongLong();
}

bool ownerRuns(const MarkerOwner &owner)
{
    if (owner.pid <= 0)
        return false;
    if (owner.started != 0)
        return processStartTicks(owner.pid) == owner.started;
    return ::kill(pid_t(owner.pid), 0) == 0 || errno == EPERM;
}

void writeOwner(void *segment, const QByteArray &keyFileHash)
{
    auto *owner = static_cast<MarkerOwner *>(segment);
    owner->pid = ::getpid();
    owner->started = processStartTicks(owner->pid);
    std::memcpy(owner->keyFile, keyFileHash.constData(), sizeof owner->keyFile);
    std::atomic_thread_fence(std::memory_order_release);
    std::memcpy(owner->tag, kOwnerTag, sizeof owner->tag);
}

enum class Holder {
    Nobody,    // the segment went away meanwhile
    Running,   // a running instance that uses the same key file
    Stale,     // an instance that has ended; its segment has been removed
    Foreign,   // anything else: another program, another temporary folder
};

// Who holds the segment at the system key of the key file. The key keeps
// only the low 16 bits of the file's inode and 8 of its device, so files of
// different temporary folders can share it; only the segment's own record
// tells the program's instance of this folder from any other holder.
Holder holderAt(const QString &keyFile, const QByteArray &keyFileHash)
{
    // QSharedMemory derives its System V key the same way.
    const key_t key = ::ftok(QFile::encodeName(keyFile).constData(), 'Q');
    const int id = key == -1 ? -1 : ::shmget(key, 0, 0);
    if (id == -1)
        return errno == EACCES ? Holder::Foreign : Holder::Nobody;
    void *data = ::shmat(id, nullptr, SHM_RDONLY);
    if (data == reinterpret_cast<void *>(-1))
        return errno == EACCES ? Holder::Foreign : Holder::Nobody;
    const auto *shared = static_cast<const MarkerOwner *>(data);
    MarkerOwner owner;
    shmid_ds info;
    const bool recorded = ::shmctl(id, IPC_STAT, &info) == 0 && info.shm_segsz >= sizeof owner
        && std::memcmp(shared->tag, kOwnerTag, sizeof kOwnerTag) == 0;
    if (recorded) {
        std::atomic_thread_fence(std::memory_order_acquire);
        std::memcpy(&owner, shared, sizeof owner);
    }
    ::shmdt(data);
    if (!recorded)
        return Holder::Foreign;
    if (!ownerRuns(owner)) {
        // Whichever folder it was made for, nobody uses it any more.
        ::shmctl(id, IPC_RMID, nullptr);
        return Holder::Stale;
    }
    return std::memcmp(owner.keyFile, keyFileHash.constData(), sizeof owner.keyFile) == 0
        ? Holder::Running : Holder::Foreign;
}

// Serialises the claims and the release of one key file's marker among the
// processes that share the temporary folder. The system drops the lock of a
// process that ends.
class ClaimLock
{
public:
    explicit ClaimLock(const QString &keyFile)
        : m_fd(::open(QFile::encodeName(keyFile + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        while (m_fd != -1 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~ClaimLock()
    {
        if (m_fd != -1)
            ::close(m_fd);
    }
    ClaimLock(const ClaimLock &) = delete;
    ClaimLock &operator=(const ClaimLock &) = delete;

private:
    int m_fd;
};

} // namespace

bool claimInstanceMarker(QSharedMemory &marker)
{
    const QString keyFile = marker.nativeKey();
    const QByteArray keyFileHash = QCryptographicHash::hash(QFile::encodeName(keyFile), QCryptographicHash::Sha256);
    const ClaimLock lock(keyFile);
    // Key files whose system key something else holds are set aside until
    // the claim is over, so that the new key file cannot get their inode
    // back.
    QStringList setAside;
    QElapsedTimer runningFor;
    bool claimed = true;   // where no marker can be made the program starts without one
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (marker.create(sizeof(MarkerOwner), QSharedMemory::ReadWrite)) {
            writeOwner(marker.data(), keyFileHash);
            break;
        }
        // Qt guards the creation with a System V semaphore keyed like the
        // segment, which another process can remove meanwhile.
        if (marker.error() == QSharedMemory::LockError)
            continue;
        if (marker.error() != QSharedMemory::AlreadyExists)
            break;
        const Holder holder = holderAt(keyFile, keyFileHash);
        if (holder == Holder::Running) {
            // An instance that was killed a moment ago can still be on its
            // way out, so a running one is only believed once it has held
            // for half a second.
            if (!runningFor.isValid())
                runningFor.start();
            if (runningFor.elapsed() >= 500) {
                claimed = false;
                break;
            }
            QThread::msleep(25);
        } else if (holder == Holder::Foreign) {
            const QString aside = keyFile + QStringLiteral(".%1").arg(setAside.size());
            if (setAside.size() == 16 || ::rename(QFile::encodeName(keyFile).constData(),
                                                  QFile::encodeName(aside).constData()) != 0)
                break;
            setAside << aside;
        }
    }
    for (const QString &file : qAsConst(setAside))
        QFile::remove(file);
    return claimed;
}

void releaseInstanceMarker(QSharedMemory *marker)
{
    // Detaching the last attachment removes the segment and its key file;
    // the marker's semaphore goes with the marker.
    const ClaimLock lock(marker->nativeKey());
    delete marker;
}

std::thread startLoadingFontConfiguration()
{
#ifdef QUZ_HAVE_FONTCONFIG
    // FcInit installs the configuration it loads as the current one, which
    // the toolkit's font database takes when it is first filled.
    return std::thread([] { FcInit(); });
#else
    return std::thread();
#endif
}

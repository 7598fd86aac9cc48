#include "platform/ZipArchive.h"
#include "support/UnzipToFolder.h"
#include "support/RawZipArchive.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <list>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zip.h>

using namespace RawZipArchive;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file and folder below `folder`, relative, sorted; files with contents.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext()) {
        it.next();
        const QString name = root.relativeFilePath(it.filePath());
        files.insert(it.fileInfo().isDir() ? name + u'/' : name, it.fileInfo().isDir() ? QByteArray() : readFile(it.filePath()));
    }
    return files;
}

// The files below `folder` as entries to zip from memory.
std::vector<ZipArchive::MemoryEntry> memoryEntries(const QString &folder)
{
    std::vector<ZipArchive::MemoryEntry> entries;
    for (const auto &[name, bytes] : snapshot(folder).asKeyValueRange()) {
        if (!name.endsWith(u'/'))
            entries.push_back({ name, bytes });
    }
    return entries;
}

struct ArchiveEntry {
    QString name;
    zip_int32_t method;
};

std::vector<ArchiveEntry> listArchive(const QString &path)
{
    std::vector<ArchiveEntry> entries;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        entries.push_back({ QString::fromUtf8(stat.name), stat.comp_method });
    }
    zip_discard(archive);
    return entries;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

} // namespace

class TestZipArchive : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void roundTrip_data();
    void roundTrip();
    void entriesFromMemory_data();
    void entriesFromMemory();
    void compressedPicturesAsStoredBlocks_data();
    void compressedPicturesAsStoredBlocks();
    void replacesExistingArchive();
    void failedZipKeepsOldArchive_data();
    void failedZipKeepsOldArchive();
    void archiveInsideZippedFolderIsLeftOut();
    void zipMissingFolderFails();
    void emptyFolderGivesEmptyArchive();
    void otherToolsReadOurArchive();
    void readsInfoZipArchive();

    void hostileArchive_data();
    void hostileArchive();
    void damagedArchive_data();
    void damagedArchive();
    void linkInsideTargetIsNotFollowed();

private:
    QString sandboxPath(const QString &relative) const { return m_sandbox->filePath(relative); }
    QString makeSampleFolder();

    std::unique_ptr<QTemporaryDir> m_sandbox;
};

void TestZipArchive::init()
{
    m_sandbox = std::make_unique<QTemporaryDir>();
    QVERIFY(m_sandbox->isValid());
}

QString TestZipArchive::makeSampleFolder()
{
    const QString folder = sandboxPath(QStringLiteral("package"));
    writeFile(folder + QStringLiteral("/xl/worksheets/sheet1.xml"), "<worksheet/>");
    writeFile(folder + QStringLiteral("/_rels/.rels"), "<Relationships/>");
    writeFile(folder + QStringLiteral("/[Content_Types].xml"), "<Types/>");
    writeFile(folder + QStringLiteral("/Z.bin"), randomBytes(200000));
    writeFile(folder + QString::fromUtf16(u"/日本語.xml"), QString::fromUtf16(u"<t>売上</t>").toUtf8());
    QDir().mkpath(folder + QStringLiteral("/empty"));
    return folder;
}

void TestZipArchive::roundTrip_data()
{
    QTest::addColumn<ZipArchive::Compression>("compression");
    QTest::addColumn<zip_int32_t>("method");
    QTest::newRow("stored") << ZipArchive::Compression::Stored << zip_int32_t(ZIP_CM_STORE);
    QTest::newRow("deflated") << ZipArchive::Compression::Deflated << zip_int32_t(ZIP_CM_DEFLATE);
}

void TestZipArchive::roundTrip()
{
    QFETCH(ZipArchive::Compression, compression);
    QFETCH(zip_int32_t, method);
    const QString folder = makeSampleFolder();
    const QString archive = sandboxPath(QStringLiteral("out/book.xlsx"));
    QDir().mkpath(sandboxPath(QStringLiteral("out")));

    QString error;
    QVERIFY2(ZipArchive::zipFolder(folder, archive, compression, &error), qPrintable(error));

    const std::vector<ArchiveEntry> entries = listArchive(archive);
    QStringList names;
    for (const ArchiveEntry &entry : entries) {
        names << entry.name;
        if (!entry.name.endsWith(u'/'))
            QCOMPARE(entry.method, method);
    }
    QCOMPARE(names, QStringList({ QStringLiteral("[Content_Types].xml"), QStringLiteral("Z.bin"),
                                  QStringLiteral("_rels/.rels"), QStringLiteral("empty/"),
                                  QStringLiteral("xl/worksheets/sheet1.xml"), QString::fromUtf16(u"日本語.xml") }));
    QCOMPARE(QDir(sandboxPath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList(QStringLiteral("book.xlsx"))); // no scratch file left

    const QString target = sandboxPath(QStringLiteral("unpacked"));
    QVERIFY2(TestZip::unzipToFolder(archive, target, &error), qPrintable(error));
    QCOMPARE(snapshot(target), snapshot(folder));
}

void TestZipArchive::entriesFromMemory_data()
{
    roundTrip_data();
}

// Parts zipped from memory come out in the order and with the bytes a folder
// holding them gives.
void TestZipArchive::entriesFromMemory()
{
    QFETCH(ZipArchive::Compression, compression);
    QFETCH(zip_int32_t, method);
    const QString folder = makeSampleFolder();
    QDir(folder).rmdir(QStringLiteral("empty"));
    std::vector<ZipArchive::MemoryEntry> entries = memoryEntries(folder);
    std::reverse(entries.begin(), entries.end());
    const QString fromMemory = sandboxPath(QStringLiteral("memory.xlsx"));
    const QString fromFolder = sandboxPath(QStringLiteral("folder.xlsx"));
    QString error;
    QVERIFY2(ZipArchive::zipEntries(entries, fromMemory, compression, &error), qPrintable(error));
    QVERIFY2(ZipArchive::zipFolder(folder, fromFolder, compression, &error), qPrintable(error));

    QStringList memoryNames, folderNames;
    for (const ArchiveEntry &entry : listArchive(fromMemory)) {
        memoryNames << entry.name;
        QCOMPARE(entry.method, method);
    }
    for (const ArchiveEntry &entry : listArchive(fromFolder))
        folderNames << entry.name;
    QCOMPARE(memoryNames.value(0), QStringLiteral("[Content_Types].xml"));
    QCOMPARE(memoryNames, folderNames);
    const QString target = sandboxPath(QStringLiteral("unpacked"));
    QVERIFY2(TestZip::unzipToFolder(fromMemory, target, &error), qPrintable(error));
    QCOMPARE(snapshot(target), snapshot(folder));

    QVERIFY2(ZipArchive::zipEntries({}, fromMemory, compression, &error), qPrintable(error));
    QVERIFY2(TestZip::unzipToFolder(fromMemory, sandboxPath(QStringLiteral("none")), &error), qPrintable(error));
    QVERIFY(snapshot(sandboxPath(QStringLiteral("none"))).isEmpty());
}

void TestZipArchive::compressedPicturesAsStoredBlocks_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("size");
    const QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QTest::newRow("PNG signature alone") << png << 8;
    QTest::newRow("PNG of one full block") << png << 65535;
    QTest::newRow("PNG one byte past a block") << png << 65536;
    QTest::newRow("JPEG of three blocks") << QByteArray("\xFF\xD8\xFF\xE0") << 2 * 65535 + 7;
    QTest::newRow("GIF") << QByteArray("GIF89a") << 1000;
}

// PNG, JPEG and GIF data is written as deflate's stored blocks: still a
// deflated entry, its bytes unchanged, five bytes of block header per 65,535
// bytes, whether the package is zipped from a folder or from memory.
void TestZipArchive::compressedPicturesAsStoredBlocks()
{
    QFETCH(QByteArray, signature);
    QFETCH(int, size);
    const QByteArray picture = signature + randomBytes(size - int(signature.size()));
    const QString folder = sandboxPath(QStringLiteral("package"));
    QVERIFY(writeFile(folder + QStringLiteral("/word/media/image1"), picture));
    QVERIFY(writeFile(folder + QStringLiteral("/word/document.xml"), QByteArray(5000, 'x')));
    QString error;
    for (const bool fromMemory : {false, true}) {
        const QString archive = sandboxPath(fromMemory ? QStringLiteral("memory.docx") : QStringLiteral("folder.docx"));
        QVERIFY2(fromMemory ? ZipArchive::zipEntries(memoryEntries(folder), archive, ZipArchive::Compression::Deflated, &error)
                            : ZipArchive::zipFolder(folder, archive, ZipArchive::Compression::Deflated, &error),
                 qPrintable(error));
        zip_t *zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, nullptr);
        QVERIFY(zip);
        zip_stat_t stat;
        QCOMPARE(zip_stat(zip, "word/media/image1", 0, &stat), 0);
        const zip_uint16_t method = stat.comp_method;
        const zip_uint64_t compressedSize = stat.comp_size;
        QCOMPARE(zip_stat(zip, "word/document.xml", 0, &stat), 0);
        const zip_uint64_t textSize = stat.comp_size;
        zip_discard(zip);
        QCOMPARE(method, zip_uint16_t(ZIP_CM_DEFLATE));
        QCOMPARE(compressedSize, zip_uint64_t(size + 5 * ((size + 65534) / 65535)));
        QVERIFY(textSize < 100); // other entries are still compressed
        const QString target = sandboxPath(fromMemory ? QStringLiteral("from-memory") : QStringLiteral("from-folder"));
        QVERIFY2(TestZip::unzipToFolder(archive, target, &error), qPrintable(error));
        QCOMPARE(readFile(target + QStringLiteral("/word/media/image1")), picture);
        if (QFileInfo::exists(QStringLiteral("/usr/bin/python3")))
            QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                       {QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-t"), archive}),
                     0);
    }
}

void TestZipArchive::replacesExistingArchive()
{
    const QString folder = makeSampleFolder();
    const QString archive = sandboxPath(QStringLiteral("book.xlsx"));
    QVERIFY(writeFile(archive, "previous contents, not a zip"));
    QString error;
    QVERIFY2(ZipArchive::zipFolder(folder, archive, ZipArchive::Compression::Stored, &error), qPrintable(error));
    QCOMPARE(listArchive(archive).size(), size_t(6));
}

// A write that fails half-way (here: the file size limit) leaves the old
// archive as it was and no scratch file behind.
void TestZipArchive::failedZipKeepsOldArchive_data()
{
    QTest::addColumn<bool>("fromMemory");
    QTest::newRow("folder") << false;
    QTest::newRow("memory") << true;
}

void TestZipArchive::failedZipKeepsOldArchive()
{
    QFETCH(bool, fromMemory);
    const QString folder = makeSampleFolder();
    std::vector<ZipArchive::MemoryEntry> entries = memoryEntries(folder);
    const QString archive = sandboxPath(QStringLiteral("out/book.xlsx"));
    QVERIFY(writeFile(archive, "old archive"));

    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool zipped = fromMemory ? ZipArchive::zipEntries(entries, archive, ZipArchive::Compression::Stored, &error)
                                   : ZipArchive::zipFolder(folder, archive, ZipArchive::Compression::Stored, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!zipped);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(archive), QByteArray("old archive"));
    QCOMPARE(QDir(sandboxPath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList(QStringLiteral("book.xlsx")));
}

void TestZipArchive::archiveInsideZippedFolderIsLeftOut()
{
    const QString folder = makeSampleFolder();
    const QString archive = folder + QStringLiteral("/self.zip");
    QVERIFY(writeFile(archive, "old"));
    QString error;
    QVERIFY2(ZipArchive::zipFolder(folder, archive, ZipArchive::Compression::Deflated, &error), qPrintable(error));
    for (const ArchiveEntry &entry : listArchive(archive))
        QVERIFY2(!entry.name.contains(QLatin1String("self.zip")), qPrintable(entry.name));
}

void TestZipArchive::zipMissingFolderFails()
{
    QString error;
    QVERIFY(!ZipArchive::zipFolder(sandboxPath(QStringLiteral("missing")), sandboxPath(QStringLiteral("a.zip")),
                                   ZipArchive::Compression::Stored, &error));
    QVERIFY(error.contains(QLatin1String("missing")));
    QVERIFY(!QFileInfo::exists(sandboxPath(QStringLiteral("a.zip"))));
}

void TestZipArchive::emptyFolderGivesEmptyArchive()
{
    QDir().mkpath(sandboxPath(QStringLiteral("nothing")));
    const QString archive = sandboxPath(QStringLiteral("empty.zip"));
    QString error;
    QVERIFY2(ZipArchive::zipFolder(sandboxPath(QStringLiteral("nothing")), archive, ZipArchive::Compression::Stored, &error),
             qPrintable(error));
    QVERIFY2(TestZip::unzipToFolder(archive, sandboxPath(QStringLiteral("target")), &error), qPrintable(error));
    QVERIFY(snapshot(sandboxPath(QStringLiteral("target"))).isEmpty());
}

void TestZipArchive::otherToolsReadOurArchive()
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    const bool python = QFileInfo::exists(QStringLiteral("/usr/bin/python3"));
    if (unzip.isEmpty() && !python)
        QSKIP("neither unzip nor /usr/bin/python3 is installed");
    const QString archive = sandboxPath(QStringLiteral("book.xlsx"));
    QVERIFY(ZipArchive::zipFolder(makeSampleFolder(), archive, ZipArchive::Compression::Deflated, nullptr));
    if (!unzip.isEmpty())
        QCOMPARE(QProcess::execute(unzip, { QStringLiteral("-tq"), archive }), 0);
    if (python)
        QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                   { QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-t"), archive }),
                 0);
}

void TestZipArchive::readsInfoZipArchive()
{
    const QString target = sandboxPath(QStringLiteral("target"));
    QString error;
    QVERIFY2(TestZip::unzipToFolder(QStringLiteral(MORVANE_TEST_DATA_DIR "/platform/zip/infozip-descriptors.zip"),
                                       target, &error),
             qPrintable(error));
    QMap<QString, QByteArray> expected;
    expected.insert(QStringLiteral("[Content_Types].xml"), "<x/>\n");
    expected.insert(QStringLiteral("sub/"), QByteArray());
    expected.insert(QStringLiteral("sub/b.txt"), "deep\n");
    expected.insert(QStringLiteral("note.txt"), "Stored by Info-ZIP with data descriptors\n");
    QCOMPARE(snapshot(target), expected);
}

void TestZipArchive::hostileArchive_data()
{
    QTest::addColumn<std::vector<EntryToWrite>>("entries");
    QTest::addColumn<ZipArchive::Limits>("limits");
    QTest::addColumn<QString>("message");

    const ZipArchive::Limits defaults;
    const EntryToWrite good{ "good.txt", "fine" };
    QTest::newRow("zip-slip") << std::vector<EntryToWrite>{ good, { "../evil.txt", "x" } } << defaults
                              << "Entry '../evil.txt' would leave the target folder";
    QTest::newRow("zip-slip deep") << std::vector<EntryToWrite>{ good, { "a/b/../../../evil.txt", "x" } } << defaults
                                   << "would leave the target folder";
    QTest::newRow("absolute path") << std::vector<EntryToWrite>{ good, { "/tmp/evil.txt", "x" } } << defaults
                                   << "Entry '/tmp/evil.txt' has an absolute path";
    QTest::newRow("backslash") << std::vector<EntryToWrite>{ good, { "..\\evil.txt", "x" } } << defaults
                               << "has a backslash in its name";
    QTest::newRow("drive letter") << std::vector<EntryToWrite>{ good, { "C:/evil.txt", "x" } } << defaults
                                  << "has a drive letter";
    QTest::newRow("file named dot") << std::vector<EntryToWrite>{ good, { "./", "" }, { "./.", "x" } } << defaults
                                    << "Entry './.' names no file";
    QTest::newRow("symlink") << std::vector<EntryToWrite>{ good, { "link", "/etc", ZipArchive::Compression::Stored, S_IFLNK | 0777 },
                                                        { "link/evil.txt", "x" } }
                             << defaults << "Entry 'link' is a symbolic link";

    ZipArchive::Limits small;
    small.maxEntrySize = 1024 * 1024;
    small.maxTotalSize = 2 * 1024 * 1024;
    small.maxEntries = 4;
    QTest::newRow("zip bomb") << std::vector<EntryToWrite>{ good, { "bomb.bin", QByteArray(20 * 1024 * 1024, '\0') } } << small
                              << "Entry 'bomb.bin' would unpack to 20971520 bytes, more than the limit of 1048576";
    const QByteArray third(900 * 1024, 'a');
    QTest::newRow("total size") << std::vector<EntryToWrite>{ { "1", third }, { "2", third }, { "3", third } } << small
                                << "more than the limit of 2097152 bytes";
    QTest::newRow("too many entries")
        << std::vector<EntryToWrite>{ { "1", "" }, { "2", "" }, { "3", "" }, { "4", "" }, { "5", "" } } << small
        << "The archive has 5 entries, more than the limit of 4";
}

// Refused before anything is written: the target stays empty and nothing
// appears beside it.
void TestZipArchive::hostileArchive()
{
    QFETCH(std::vector<EntryToWrite>, entries);
    QFETCH(ZipArchive::Limits, limits);
    QFETCH(QString, message);
    QTemporaryDir archiveFolder;
    const QString archive = archiveFolder.filePath(QStringLiteral("hostile.zip"));
    QVERIFY(writeArchive(archive, entries));

    const QString target = sandboxPath(QStringLiteral("a/b/target"));
    QString error;
    QVERIFY(!TestZip::unzipToFolder(archive, target, &error, limits));
    QVERIFY2(error.contains(message), qPrintable(error));
    const QMap<QString, QByteArray> left = snapshot(m_sandbox->path());
    QVERIFY2(left.isEmpty() || left.keys() == QStringList({ "a/", "a/b/", "a/b/target/" }),
             qPrintable(left.keys().join(u' ')));
}

void TestZipArchive::damagedArchive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QString payload = QStringLiteral("hello, this is the stored payload");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("good.zip"));
    writeArchive(path, { { "first.txt", "first" }, { "payload.txt", payload.toLatin1(), ZipArchive::Compression::Stored } });
    const QByteArray good = readFile(path);

    QByteArray flipped = good;
    flipped[flipped.indexOf("stored payload")] = 'S';
    QTest::newRow("CRC mismatch") << flipped << "Entry 'payload.txt' is damaged: its CRC-32 does not match";

    const QByteArray big = randomBytes(300000);
    writeArchive(path, { { "big.bin", big } });
    QByteArray lying = readFile(path);
    patchField(lying, QByteArray("PK\x01\x02", 4), 24, 1000); // central directory: uncompressed size
    patchField(lying, QByteArray("PK\x03\x04", 4), 22, 1000); // local header: uncompressed size
    QTest::newRow("size header lies") << lying << "Entry 'big.bin'";

    // 4 GB declared without the ZIP64 record that must then give the size:
    // libzip calls it "No such file", of a file that is there.
    QByteArray huge = good;
    patchField(huge, QByteArray("PK\x01\x02", 4), 24, 0xFFFFFFFF);
    QTest::newRow("4 GB without its ZIP64 record") << huge << "is a damaged ZIP archive";

    QTest::newRow("not a zip") << QByteArray("name,value\n1,2\n") << "is not a ZIP archive";
    QTest::newRow("empty file") << QByteArray() << "is not a ZIP archive: the file is empty";
    QTest::newRow("truncated") << good.left(good.size() / 2) << "' is ";
    QTest::newRow("central directory cut") << good.left(good.size() - 10) << "' is ";
}

// Damage found while reading: the error names the problem and no damaged or
// half-written file stays in the target.
void TestZipArchive::damagedArchive()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString archive = sandboxPath(QStringLiteral("damaged.zip"));
    QVERIFY(writeFile(archive, bytes));
    const QString target = sandboxPath(QStringLiteral("target"));

    QString error;
    QVERIFY(!TestZip::unzipToFolder(archive, target, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.count(QStringLiteral("zip archive"), Qt::CaseInsensitive) <= 1, qPrintable(error)); // said once
    const QMap<QString, QByteArray> left = snapshot(target);
    QVERIFY(!left.contains(QStringLiteral("payload.txt")));
    QVERIFY(!left.contains(QStringLiteral("big.bin")));
}

void TestZipArchive::linkInsideTargetIsNotFollowed()
{
    const QString outside = sandboxPath(QStringLiteral("outside"));
    const QString target = sandboxPath(QStringLiteral("target"));
    QDir().mkpath(outside);
    QDir().mkpath(target);
    QVERIFY(QFile::link(outside, target + QStringLiteral("/sub")));
    QVERIFY(QFile::link(outside + QStringLiteral("/file.txt"), target + QStringLiteral("/file.txt")));

    for (const QByteArray &name : { QByteArray("sub/evil.txt"), QByteArray("file.txt") }) {
        const QString archive = sandboxPath(QStringLiteral("a.zip"));
        QVERIFY(writeArchive(archive, { { name, "x" } }));
        QString error;
        QVERIFY(!TestZip::unzipToFolder(archive, target, &error));
        QVERIFY(snapshot(outside).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestZipArchive)
#include "tst_ziparchive.moc"

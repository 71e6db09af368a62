#include "app/drivelistbox.h"
#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "move/movefilewindow.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"
#include "tmpfsmount.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to MOVE these files ?");
const QString alreadyThere = QStringLiteral("A file of that name is already there.");

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Hidden files too: a partial copy must not be left behind.
QStringList contents(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

// The move window driven through its controls and the main window's menu, on real files.
class TestMoveFileWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void threeFilesFromTwoFolders();
    void partlyRefused_data();
    void partlyRefused();
    void createFolder_data();
    void createFolder();
    void drives();
    void manualMode();
    void leaveWithoutMoving_data();
    void leaveWithoutMoving();
    void acrossFileSystemsUntilFull();

private:
    QString path(const QString &relative) const;
    void makePictures(const QString &folder, const QStringList &names, QSize size = { 64, 48 });
    void select(const QString &folder, const QStringList &names);
    MoveFileWindow *openMoveWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<CountingLoader> m_loader;
    std::unique_ptr<frmMain> m_main;
};

void TestMoveFileWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    makePictures(QStringLiteral("src1"), { "a.jpg", "b.jpg", "keep.jpg" });
    makePictures(QStringLiteral("src2"), { "a.jpg", "c.jpg", "d.jpg" });
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("out/old")));
    m_services = std::make_unique<FakeServices>();
    m_loader = std::make_unique<CountingLoader>();
}

void TestMoveFileWindow::cleanup()
{
    m_main.reset();
    m_loader.reset();
    m_services.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

QString TestMoveFileWindow::path(const QString &relative) const
{
    return QDir::toNativeSeparators(m_dir->filePath(relative));
}

void TestMoveFileWindow::makePictures(const QString &folder, const QStringList &names, QSize size)
{
    QVERIFY(QDir(m_dir->path()).mkpath(folder));
    const QList<QColor> colours = { Qt::red, Qt::green, Qt::blue, Qt::yellow };
    for (qsizetype i = 0; i < names.size(); ++i)
        QVERIFY(testpictures::write(
            path(folder + QLatin1Char('/') + names[i]), colours[i % colours.size()], size));
}

// Opens the folder in the main window and clicks the named thumbnails, in that order.
void TestMoveFileWindow::select(const QString &folder, const QStringList &names)
{
    if (!m_main) {
        m_main = std::make_unique<frmMain>(*m_services, *m_loader);
        QVERIFY(m_main->Form_Load());
        m_main->show();
    }
    QVERIFY(m_main->Dir1->setPath(path(folder)));
    if (m_main->ThumbManual)
        QTest::mouseClick(m_main->ButtonLoadThumbs, Qt::LeftButton);
    for (const QString &name : names) {
        const auto index = m_main->gridNames().indexOf(name);
        QVERIFY(index >= 0);
        QTest::mouseClick(m_main->Image1(static_cast<int>(index)), Qt::LeftButton);
    }
}

MoveFileWindow *TestMoveFileWindow::openMoveWindow()
{
    m_main->mnuMovePictures->trigger();
    MoveFileWindow *window = m_main->moveWindow();
    return window->isLoaded() && window->isVisible() ? window : nullptr;
}

void TestMoveFileWindow::threeFilesFromTwoFolders()
{
    const QStringList sources = { path("src1/b.jpg"), path("src1/a.jpg"), path("src2/c.jpg") };
    std::vector<QByteArray> bytes;
    for (const QString &source : sources)
        bytes.push_back(readFile(source));
    select(QStringLiteral("src1"), { "b.jpg", "a.jpg" });
    select(QStringLiteral("src2"), { "c.jpg" });

    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(), QStringLiteral("Move Files"));
    QCOMPARE(texts(w->List1), sources);
    QCOMPARE(w->List2->count(), 0);
    QCOMPARE(w->Text5->text(), path("src2"));

    QVERIFY(w->Dir2->setPath(path("out")));
    QCOMPARE(w->Text5->text(), path("out"));
    const QStringList previews = { path("out/b.jpg"), path("out/a.jpg"), path("out/c.jpg") };
    QCOMPARE(texts(w->List2), previews);

    int listedDuringCount = -1;
    m_services->boxesFake.onShow = [&](const FakeBoxes::Shown &box) {
        if (box.text.endsWith(QStringLiteral("Files moved!")))
            listedDuringCount = w->List1->count() + w->List2->count();
    };
    QTest::mouseClick(w->MoveFolderOK, Qt::LeftButton);

    const auto &shown = m_services->boxesFake.shown;
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(shown[0].text, confirmText);
    QCOMPARE(shown[0].code, 33);
    QCOMPARE(shown[0].title, QStringLiteral("Tessary"));
    QCOMPARE(shown[1].text, QStringLiteral("3 Files moved!"));
    QCOMPARE(shown[1].code, 0);
    QCOMPARE(shown[1].title, QStringLiteral("Ravelin"));
    QCOMPARE(listedDuringCount, 0);
    for (size_t i = 0; i < bytes.size(); ++i) {
        QVERIFY(!QFileInfo::exists(sources[static_cast<qsizetype>(i)]));
        QCOMPARE(readFile(previews[static_cast<qsizetype>(i)]), bytes[i]);
    }
    QCOMPARE(contents(path("out")), QStringList({ "a.jpg", "b.jpg", "c.jpg", "old" }));

    // The main window is back in use, with no selection and a grid without the moved file.
    QVERIFY(!w->isLoaded());
    QVERIFY(w->isHidden());
    QVERIFY(m_main->isEnabled());
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->List1->count(), 0);
    QCOMPARE(m_main->File1->fileNames(), QStringList({ "a.jpg", "d.jpg" }));
    QCOMPARE(m_main->gridNames(), QStringList({ "a.jpg", "d.jpg" }));
    QCOMPARE(m_main->PreviousFileCount, 2);
    QCOMPARE(m_services->mouseFake.depth, 0);
}

void TestMoveFileWindow::partlyRefused_data()
{
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QStringList>("moved");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a file of that name is there")
        << QStringList { "src1/b.jpg", "src1/keep.jpg" } << "out" << QStringList { "src1/b.jpg" }
        << alreadyThere;
    QTest::newRow("two selected files with one name")
        << QStringList { "src1/a.jpg", "src2/a.jpg" } << "out" << QStringList { "src1/a.jpg" }
        << alreadyThere;
    QTest::newRow("no destination chosen") << QStringList { "src1/a.jpg", "src1/b.jpg" } << ""
                                           << QStringList {} << "No destination was chosen.";
}

void TestMoveFileWindow::partlyRefused()
{
    QFETCH(QStringList, selection);
    QFETCH(QString, destination);
    QFETCH(QStringList, moved);
    QFETCH(QString, reason);
    const QByteArray existing("a picture that was there before");
    QVERIFY(testpictures::writeBytes(path("out/keep.jpg"), existing));
    QMap<QString, QByteArray> before;
    for (const QString &file : selection) {
        before[file] = readFile(path(file));
        select(file.section(QLatin1Char('/'), 0, 0), { file.section(QLatin1Char('/'), 1) });
    }
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    if (!destination.isEmpty())
        QVERIFY(w->Dir2->setPath(path(destination)));

    QTest::mouseClick(w->MoveFolderOK, Qt::LeftButton);

    // The count is of files moved; the others are listed with the reason, and kept.
    const auto &shown = m_services->boxesFake.shown;
    QCOMPARE(shown.size(), 3u);
    QCOMPARE(shown[1].text, QStringLiteral("%1 Files moved!").arg(moved.size()));
    QCOMPARE(shown[2].title, QStringLiteral("Ravelin"));
    for (const QString &file : selection) {
        const QString name = file.section(QLatin1Char('/'), 1);
        if (moved.contains(file)) {
            QVERIFY(!QFileInfo::exists(path(file)));
            QCOMPARE(readFile(path("out/") + name), before[file]);
        } else {
            QCOMPARE(readFile(path(file)), before[file]);
            QVERIFY(shown[2].text.contains(path(file) + QLatin1Char('\n') + reason));
        }
    }
    QCOMPARE(readFile(path("out/keep.jpg")), existing);
    QCOMPARE(m_main->List1->count(), 0);
    QVERIFY(!w->isLoaded());
}

void TestMoveFileWindow::createFolder_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<QString>("made");

    QTest::newRow("plain name") << "out"
                                << "New" << false << "out/New";
    QTest::newRow("nested name") << "out"
                                 << "old/New" << false << "out/old/New";
    QTest::newRow("full path") << "out"
                               << "elsewhere" << true << "elsewhere";
    QTest::newRow("in the main window's folder") << "src1"
                                                 << "New" << false << "src1/New";
    QTest::newRow("existing name") << "out"
                                   << "old" << false << "";
    QTest::newRow("parent missing") << "out"
                                    << "none/New" << false << "";
    QTest::newRow("empty") << "out"
                           << "" << false << "";
}

void TestMoveFileWindow::createFolder()
{
    QFETCH(QString, destination);
    QFETCH(QString, typed);
    QFETCH(bool, fullPath);
    QFETCH(QString, made);
    if (fullPath)
        typed = path(typed);
    select(QStringLiteral("src1"), { "a.jpg" });
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QVERIFY(w->Dir2->setPath(path(destination)));
    const QStringList preview = texts(w->List2);
    const QStringList outBefore = contents(path("out"));
    const QStringList hereBefore = contents(path("src1"));

    QTest::keyClicks(w->Text4, typed);
    QTest::mouseClick(w->MakeDir, Qt::LeftButton);

    QCOMPARE(w->Text4->text(), typed);
    QCOMPARE(w->Dir2->path(), path(destination));
    QCOMPARE(texts(w->List2), preview);
    QCOMPARE(QDir::currentPath(), QDir(path("src1")).absolutePath());
    if (made.isEmpty()) {
        const auto &shown = m_services->boxesFake.shown;
        QCOMPARE(shown.size(), 1u);
        QCOMPARE(shown[0].text, QStringLiteral("Folder may already Exist"));
        QCOMPARE(shown[0].code, 16);
        QCOMPARE(shown[0].title, QStringLiteral("Can not create folder"));
        QCOMPARE(contents(path("out")), outBefore);
        QCOMPARE(contents(path("src1")), hereBefore);
        return;
    }
    QCOMPARE(m_services->boxesFake.shown.size(), 0u);
    QVERIFY(QFileInfo(path(made)).isDir());
    QVERIFY(!QFileInfo::exists(path("src1/") + typed) || destination == "src1");
    // A new folder right inside a list's folder shows up in that list.
    const QString name = QFileInfo(path(made)).fileName();
    const bool direct = QFileInfo(path(made)).absolutePath() == QDir(path(destination)).path();
    QCOMPARE(!w->Dir2->findItems(name, Qt::MatchEndsWith).isEmpty(), direct);
    if (destination == "src1")
        QVERIFY(!m_main->Dir1->findItems(name, Qt::MatchEndsWith).isEmpty());
}

void TestMoveFileWindow::drives()
{
    m_services->drivesFake.list
        = { { "here", m_dir->path() }, { "x: [no disc]", path("no-disc") } };
    select(QStringLiteral("src1"), { "a.jpg" });
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QCOMPARE(w->Drive2->drive(), QStringLiteral("here"));
    QVERIFY(w->Dir2->setPath(path("out")));

    QTest::keyClick(w->Drive2, Qt::Key_Down);

    QCOMPARE(m_services->boxesFake.texts(), QStringList { "Drive Can not be found." });
    QCOMPARE(m_services->boxesFake.shown[0].code, 16);
    QCOMPARE(m_services->boxesFake.shown[0].title, QStringLiteral("Brindle"));
    QCOMPARE(w->Dir2->path(), path("out"));
    QCOMPARE(w->Text5->text(), path("out"));
    QCOMPARE(texts(w->List2), QStringList { path("out/a.jpg") });

    QTest::keyClick(w->Drive2, Qt::Key_Up);
    QCOMPARE(w->Dir2->path(), path(""));
    QCOMPARE(texts(w->List2), QStringList { path("a.jpg") });

    // At a root the separator is not doubled.
    QVERIFY(w->Dir2->setPath(QDir::rootPath()));
    QCOMPARE(texts(w->List2), QStringList { QDir::toNativeSeparators(QDir::rootPath()) + "a.jpg" });
}

void TestMoveFileWindow::manualMode()
{
    select(QStringLiteral("src1"), {});
    m_main->setThumbnailsManual(true);
    select(QStringLiteral("src1"), { "a.jpg", "b.jpg" });
    const QStringList grid = m_main->gridNames();
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QVERIFY(w->Dir2->setPath(path("out")));

    QTest::mouseClick(w->MoveFolderOK, Qt::LeftButton);

    QCOMPARE(m_services->boxesFake.shown.back().text, QStringLiteral("2 Files moved!"));
    QCOMPARE(m_main->List1->count(), 0);
    QCOMPARE(m_main->File1->fileNames(), QStringList { "keep.jpg" });
    // The old thumbnails and their marks stay until the grid is next built.
    QCOMPARE(m_main->gridNames(), grid);
    for (const char *name : { "a.jpg", "b.jpg" }) {
        const auto index = static_cast<int>(grid.indexOf(QString::fromLatin1(name)));
        QVERIFY(m_main->Label1(index)->isOpaque());
    }
    QVERIFY(!m_main->Label1(static_cast<int>(grid.indexOf("keep.jpg")))->isOpaque());
}

void TestMoveFileWindow::leaveWithoutMoving_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel in the confirmation") << "confirmation";
    QTest::newRow("Cancel button") << "Cancel";
    QTest::newRow("close box") << "close";
}

void TestMoveFileWindow::leaveWithoutMoving()
{
    QFETCH(QString, how);
    select(QStringLiteral("src1"), { "a.jpg", "b.jpg" });
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QVERIFY(w->Dir2->setPath(path("out")));
    const QStringList sources = { path("src1/a.jpg"), path("src1/b.jpg") };
    const QStringList previews = { path("out/a.jpg"), path("out/b.jpg") };

    m_services->boxesFake.answer = platform::Answer::Cancel;
    if (how == "confirmation")
        QTest::mouseClick(w->MoveFolderOK, Qt::LeftButton);
    else if (how == "Cancel")
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    else
        QVERIFY(w->close());

    QCOMPARE(contents(path("src1")), QStringList({ "a.jpg", "b.jpg", "keep.jpg" }));
    QCOMPARE(contents(path("out")), QStringList { "old" });
    QVERIFY(m_main->isEnabled());
    QCOMPARE(m_main->List1->count(), 2);
    QVERIFY(m_main->Label1(0)->isOpaque());
    if (how == "confirmation") {
        QCOMPARE(m_services->boxesFake.texts(), QStringList { confirmText });
        QVERIFY(w->isLoaded());
        QCOMPARE(texts(w->List1), sources);
        QCOMPARE(texts(w->List2), previews);
        return;
    }
    QCOMPARE(m_services->boxesFake.shown.size(), 0u);
    QVERIFY(!w->isLoaded());
    QVERIFY(w->isHidden());
    // Opening it again starts afresh from the selection as it is now.
    select(QStringLiteral("src1"), { "keep.jpg" });
    QCOMPARE(openMoveWindow(), w);
    QCOMPARE(texts(w->List1), sources + QStringList { path("src1/keep.jpg") });
    QCOMPARE(w->List2->count(), 0);
    QCOMPARE(w->Text5->text(), path("src1"));
}

void TestMoveFileWindow::acrossFileSystemsUntilFull()
{
    const TmpfsMount mount(path("disk"), QStringLiteral("600k"));
    if (!mount.mounted())
        QSKIP(mount.why());
    // Uncompressed pictures of about 270 KB: two fit on the disk, the third does not.
    const QStringList names = { "p1.bmp", "p2.bmp", "p3.bmp" };
    makePictures(QStringLiteral("big"), names, QSize(300, 300));
    std::vector<QByteArray> bytes;
    std::vector<QDateTime> times;
    for (const QString &name : names) {
        bytes.push_back(readFile(path("big/") + name));
        times.push_back(QFileInfo(path("big/") + name).lastModified());
    }
    select(QStringLiteral("big"), names);
    MoveFileWindow *w = openMoveWindow();
    QVERIFY(w != nullptr);
    QVERIFY(w->Dir2->setPath(path("disk")));

    QTest::mouseClick(w->MoveFolderOK, Qt::LeftButton);

    const auto &shown = m_services->boxesFake.shown;
    QCOMPARE(shown.size(), 3u);
    QCOMPARE(shown[1].text, QStringLiteral("2 Files moved!"));
    QVERIFY(shown[2].text.contains(path("big/p3.bmp") + "\nThe destination disk is full."));
    QCOMPARE(readFile(path("disk/p1.bmp")), bytes[0]);
    QCOMPARE(readFile(path("disk/p2.bmp")), bytes[1]);
    QCOMPARE(QFileInfo(path("disk/p1.bmp")).lastModified(), times[0]);
    QCOMPARE(readFile(path("big/p3.bmp")), bytes[2]);
    QCOMPARE(contents(path("disk")), QStringList({ "p1.bmp", "p2.bmp" }));
    QCOMPARE(contents(path("big")), QStringList { "p3.bmp" });
    QCOMPARE(m_main->File1->fileNames(), QStringList { "p3.bmp" });
}

QTEST_MAIN(TestMoveFileWindow)
#include "tst_movefilewindow.moc"

#include "core/state/browserstate.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The state the windows share, without any window: the selection, the folder shown and the
// requests that follow a job.
class TestBrowserState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selection_data();
    void selection();
    void listing_data();
    void listing();
    void afterJob_data();
    void afterJob();
    void outOfUse();
};

namespace
{
// Runs steps on a state: "+a b" selects a then b in one call, "-a" deselects, "~a" toggles
// (and records what it answered), "0" clears.
QStringList run(BrowserState &state, const QStringList &steps)
{
    QStringList answers;
    for (const QString &step : steps) {
        const QString arg = step.mid(1);
        switch (step.at(0).toLatin1()) {
        case '+':
            state.select(arg.split(' '));
            break;
        case '-':
            state.deselect(arg);
            break;
        case '~':
            answers.append(state.toggle(arg) ? "on" : "off");
            break;
        default:
            state.clearSelection();
        }
    }
    return answers;
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

void TestBrowserState::selection_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("changes");
    const auto row = [](const char *tag, const QStringList &steps, const QStringList &selected,
                         const QStringList &answers, int changes) {
        QTest::newRow(tag) << steps << selected << answers << changes;
    };
    row("in the order chosen", { "+/p/c", "+/p/a", "+/q/b" }, { "/p/c", "/p/a", "/q/b" }, {}, 3);
    row("nothing twice, no change told", { "+/p/b", "+/p/a /p/b /p/c /p/a", "+/p/c" },
        { "/p/b", "/p/a", "/p/c" }, {}, 2);
    row("toggle twice is as before", { "+/p/a", "~/p/b", "~/p/b", "~/p/a" }, {},
        { "on", "off", "off" }, 4);
    row("a path is not a lookalike", { "+/pics/a.jpg", "~/picsa.jpg", "-/pics/a.jp" },
        { "/pics/a.jpg", "/picsa.jpg" }, { "on" }, 2);
    row("case counts", { "+/p/A.JPG", "~/p/a.jpg" }, { "/p/A.JPG", "/p/a.jpg" }, { "on" }, 2);
    row("removing what is not there tells nothing", { "-/p/a", "0", "+/p/a", "-/p/b" }, { "/p/a" },
        {}, 1);
    row("clear takes every folder's", { "+/p/a /q/a", "0", "0", "+/q/a" }, { "/q/a" }, {}, 3);
}

void TestBrowserState::selection()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, selected);
    QFETCH(QStringList, answers);
    QFETCH(int, changes);
    BrowserState state;
    QSignalSpy spy(&state, &BrowserState::selectionChanged);
    QCOMPARE(run(state, steps), answers);
    QCOMPARE(state.selection(), selected);
    QCOMPARE(spy.size(), changes);
    for (const QString &path : selected)
        QVERIFY(state.isSelected(path));
}

void TestBrowserState::listing_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("one format, any case") << "*.jpg" << QStringList { "a.jpg", "B.JPG", "c.Jpg" };
    QTest::newRow("several, sorted ignoring case")
        << " *.gif ; *.jpg;;" << QStringList { "a.jpg", "B.JPG", "c.Jpg", "d.gif" };
    QTest::newRow("empty lists nothing") << ";" << QStringList();
}

void TestBrowserState::listing()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char *name : { "c.Jpg", "a.jpg", "B.JPG", "d.gif", "e.txt" })
        touch(dir.filePath(name));
    QVERIFY(QDir(dir.path()).mkdir("f.jpg"));
    BrowserState state;
    QSignalSpy spy(&state, &BrowserState::filesChanged);
    state.setSettings({ .imageFormat = pattern });
    state.showFolder(dir.path());
    QCOMPARE(state.folder(), dir.path());
    QCOMPARE(state.fileNames(), listed);
    QCOMPARE(spy.size(), 1);
    // The folder is read again, and with other formats once they are set.
    touch(dir.filePath("g.jpg"));
    state.refreshFiles();
    QCOMPARE(state.fileNames().contains("g.jpg"), !listed.isEmpty());
    state.setSettings({ .imageFormat = "*.txt" });
    QCOMPARE(state.fileNames(), QStringList { "e.txt" });
    QCOMPARE(spy.size(), 3);
}

void TestBrowserState::afterJob_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<BrowserState::ManualGrid>("grid");
    QTest::addColumn<int>("rebuilds");
    QTest::addColumn<int>("unloads");
    QTest::newRow("automatic") << false << BrowserState::ManualGrid::Unload << 1 << 0;
    QTest::newRow("automatic, after a move") << false << BrowserState::ManualGrid::Keep << 1 << 0;
    QTest::newRow("manual") << true << BrowserState::ManualGrid::Unload << 0 << 1;
    QTest::newRow("manual, after a move") << true << BrowserState::ManualGrid::Keep << 0 << 0;
}

void TestBrowserState::afterJob()
{
    QFETCH(bool, manual);
    QFETCH(BrowserState::ManualGrid, grid);
    QFETCH(int, rebuilds);
    QFETCH(int, unloads);
    QTemporaryDir dir;
    touch(dir.filePath("a.jpg"));
    BrowserState state;
    state.setSettings({ .imageFormat = "*.jpg", .thumbManual = manual });
    state.showFolder(dir.path());
    state.select({ dir.filePath("a.jpg") });
    QVERIFY(QFile::rename(dir.filePath("a.jpg"), dir.filePath("b.jpg")));

    // The selection is empty and the folder re-read before the grid is asked for.
    QStringList seen;
    const auto note = [&](const char *what) {
        seen.append(QString("%1 %2 %3")
                        .arg(what)
                        .arg(state.selection().size())
                        .arg(state.fileNames().join(',')));
    };
    connect(&state, &BrowserState::selectionChanged, this, [&] { note("selection"); });
    connect(&state, &BrowserState::rebuildRequested, this, [&] { note("rebuild"); });
    connect(&state, &BrowserState::unloadRequested, this, [&] { note("unload"); });
    state.afterJob(grid);
    QStringList expected { "selection 0 a.jpg" };
    for (int i = 0; i < rebuilds; ++i)
        expected.append("rebuild 0 b.jpg");
    for (int i = 0; i < unloads; ++i)
        expected.append("unload 0 b.jpg");
    QCOMPARE(seen, expected);
}

void TestBrowserState::outOfUse()
{
    BrowserState state;
    QSignalSpy spy(&state, &BrowserState::usableChanged);
    state.backInUse();
    state.holdOutOfUse(true);
    // Held by the options window, the main window stays out of use whoever asks.
    state.backInUse();
    QVERIFY(state.heldOutOfUse());
    state.holdOutOfUse(false);
    state.backInUse();
    QList<bool> usable;
    for (const QList<QVariant> &call : spy)
        usable.append(call.at(0).toBool());
    QCOMPARE(usable, QList<bool>({ true, false, false, true, true }));
}

QTEST_MAIN(TestBrowserState)
#include "tst_browserstate.moc"

#pragma once

#include <QListWidget>

// The folder list: the ancestors of the current folder, the open current folder, then its
// subfolders. A folder opens by double-click or Enter; code can set the path too. Either
// way a new path emits changed(), and so does opening the folder shown, which reads it again.
class FolderListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderListBox(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Fails, keeping the current folder, when the path is not a folder that can be read.
    [[nodiscard]] bool setPath(const QString &path);
    // Re-reads the subfolders of the current folder.
    void refresh();
    // What the user is told when a folder of the list cannot be opened (openFailed).
    static QString cannotOpenText(const QString &path);
    // Takes files dropped from a file manager onto one of the folders listed, and tells
    // through filesDropped(); what becomes of them is the window's business.
    void acceptFileDrops();

Q_SIGNALS:
    void changed();
    // The user tried to open a folder that cannot be read.
    void openFailed(const QString &path);
    // Files, as full paths, were dropped onto a folder of the list.
    void filesDropped(const QStringList &files, const QString &folder);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString folderAt(const QPoint &position) const;
    void openItem(QListWidgetItem *item);
    QString m_path;
};

#pragma once

#include <QListWidget>

// The file list: shows the picture files of one folder, one bare name an entry.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void showFiles(const QString &path, const QStringList &names);
    // Entry i as a bare file name; empty past the end.
    QString fileName(int index) const;
    QStringList fileNames() const;

private:
    QString m_path;
};

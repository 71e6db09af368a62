#pragma once

#include <QListWidget>

// The file list: the files of one folder that match a pattern of ";"-separated wildcards,
// in case-insensitive alphabetical order. Matching ignores case, so "*.jpg" lists
// "DSC00001.JPG".
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    void setPattern(const QString &pattern);
    QString path() const { return m_path; }
    void setPath(const QString &path);
    // Entry i as a bare file name; empty past the end.
    QString fileName(int index) const;
    QStringList fileNames() const;
    // Re-reads the folder.
    void refresh();

private:
    QString m_pattern;
    QString m_path;
};

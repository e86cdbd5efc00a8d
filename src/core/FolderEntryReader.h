#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

// Reads one small regular file of a listed folder, for the folders that other programs write into.
namespace FolderEntryReader {

// One name from a folder listing.
struct Entry
{
    QByteArray name;
    unsigned char type; // d_type of the listing, DT_UNKNOWN on file systems that do not fill it in
    bool operator<(const Entry& other) const { return name < other.name; }
};

// The bytes of the entry, or nothing. The file is opened relative to the listed folder and never
// through a symbolic link, without blocking (a FIFO must not stall the event loop), and only a regular
// file of at most maxSize bytes is read, so a link or a special file put into the folder cannot make us
// read anything elsewhere. modDate receives the file's modification time.
std::optional<QByteArray> read(int directoryFd, const Entry& entry, qint64 maxSize, QDateTime& modDate);

} // namespace FolderEntryReader

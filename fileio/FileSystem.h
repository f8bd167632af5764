// File-system helpers shared by every reader and writer of installation data.
//
// Installations are often copied from case-insensitive file systems, and the
// data files name other files in whatever case their authors used (seismogram
// names are held in upper case, the event list lower-cases its names). Every
// open of a data file therefore goes through resolvePath(), which finds the
// file whatever the case of each path component.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Joins a folder and a name with "/". An empty folder, or a name that is
// already an absolute path, gives the name alone.
std::string joinPath(const std::string& folder, const std::string& name);

// Turns the backslash separators that data files may contain into "/".
std::string normalizeSeparators(const std::string& path);

// Returns the path of an existing file or directory that matches `path`
// component by component without regard to case (an exact match wins; among
// several matches of other case, the first in name order). Components from
// the first one that matches nothing on are kept as given, after the resolved
// leading folders: a missing file then fails to open in the ordinary way, and
// a file created at the result lands in the existing folder.
std::string resolvePath(const std::string& path);

// True when the (case-insensitively resolved) path names a regular file.
bool fileExists(const std::string& path);

// Lists the names in a directory in the order the system returns them,
// without "." and "..". Returns false when the directory cannot be read.
bool listDirectory(const std::string& dir, std::vector<std::string>& names);

// Reads a whole file (resolved case-insensitively) into `out`. Files larger
// than `maxBytes` are refused. Returns false on any failure; `out` is then empty.
bool readWholeFile(const std::string& path, std::string& out,
                   std::size_t maxBytes = std::size_t(256) << 20);

// Replaces the file at `path` with `content` without ever leaving a
// half-written file: writes a temporary file in the same directory, flushes
// it to disk and renames it over the old one. On any failure the temporary
// file is removed, the old file is left as it was and false is returned.
bool writeFileAtomically(const std::string& path, const std::string& content);

#pragma once

// The launcher's only way to the local disk: stateless free functions on wide paths. Only the
// backslash separates folders. Every failure is a false result; nothing is shown or logged.
// All functions may be called from any thread; only CreateDirectories serialises its callers.

#include <string>

// True when the path names a file that can be opened for reading right now: a folder, or a file
// that someone holds open without read or write sharing, counts as absent.
bool FileExists(const std::wstring& path);

// Deletes the file when FileExists holds and then reports true even when the deletion itself was
// refused (a running executable, for instance); false when there was no such file.
bool DeleteFileIfExists(const std::wstring& path);

// Makes the folder and every missing parent. A folder that cannot be made is skipped; the next
// file operation inside it fails with its own result.
void CreateDirectories(const std::wstring& folder);

// The text before the last backslash; false, target untouched, when there is none.
bool GetParentDirectory(const std::wstring& path, std::wstring* parent);

// The whole file decoded as UTF-8, without a leading byte order mark and up to the first zero
// byte. False, target untouched, when the file is absent or cannot be read.
bool ReadTextFile(const std::wstring& path, std::wstring* text);

// Replaces the file with the text as UTF-8 (no byte order mark), creating missing folders. The
// new text goes to a temporary file beside the target first and replaces it in one step, so a
// failure or an interruption leaves the previous file as it was.
bool WriteTextFile(const std::wstring& path, const std::wstring& text);

// The file version (major, minor, build, revision) of the file's version resource. A file
// without one gives true and leaves the four values as they were; a missing file gives false.
bool GetFileVersion(const std::wstring& path, int* major, int* minor, int* build, int* revision);

// Unpacks a gzip file (one or more members) into the destination; a source that is not gzip is
// copied unchanged. True only when the whole source was read without error and every byte
// reached the destination: a truncated stream or a bad checksum gives false. A missing source
// gives false without creating the destination; after a failure mid-way the partly written
// destination remains.
bool GunzipFile(const std::wstring& destination, const std::wstring& source);
// The same for paths given as bytes in the ANSI code page. Prefer the wide form: a path with
// characters outside the code page cannot be expressed here.
bool GunzipFile(const std::string& destinationAnsi, const std::string& sourceAnsi);

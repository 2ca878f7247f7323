// What may stand as one file or folder name, and as a path below a folder, when the text comes
// from somewhere the elevated installer does not control (a package, a log found on disk, a
// manifest). Windows resolves ".", "..", "/" and a trailing dot or space itself, so a name that
// holds any of them can open a file other than the one it seems to name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One name as Windows takes it literally: not empty, not "." or "..", none of \ / : * ? " < > |
// nor a control character, and no trailing dot or space (Windows drops those).
bool isPlainName(std::u16string_view name);

// Plain names joined by single backslashes ("driver\USB\x.sys"); not empty.
bool isPlainRelativePath(std::u16string_view path);

// ASCII case folded, as the file system and the registry compare names.
bool sameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// `path` is `folder`, a backslash and a plain relative path below it. No other spelling of a
// path below the folder counts: an 8.3 alias, a second backslash or a ".." never does.
bool isInsideFolder(std::u16string_view path, std::u16string_view folder);

// `path` is `folder`, a backslash and one plain name.
bool isDirectlyInFolder(std::u16string_view path, std::u16string_view folder);

// A folder on a local drive as the elevated installer accepts one: a drive letter, a colon and
// either nothing (the drive's root, as the folder chooser gives it) or a backslash and plain
// names. Drive-relative ("C:Tools"), root-relative ("\Tools"), relative, network ("\\server")
// and device ("\\?\") paths are not: the current folder or another machine would decide where
// they lead. `chain` receives the drive's root "X:\" and every folder below it down to the one
// named, each spelt whole.
bool folderChainOf(std::u16string_view path, std::vector<std::u16string>& chain);

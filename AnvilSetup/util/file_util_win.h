// Shared file routines of the setup framework: a place to park what cannot be deleted at
// once (a free folder name on the same volume, numbered backup names inside it), removal of a
// program from the firewall's authorised applications, and a replace-all on wide strings.
// None of them logs; results are the only report.
#pragma once

#include <string>

namespace setup_util {

// `folder` + "\~" + stem + "_" + n + suffix with the first n (from 1) that is free, found by
// bisection: used numbers are assumed to form an unbroken run from 1, so with gaps the result
// may skip a free lower number or, ending on a taken one, report failure. A preferred folder
// is used only when it lies on the same drive root as `source` (compared case-sensitively);
// otherwise the source's own folder. For a directory the stem is its whole name and the suffix
// empty. False when `source` does not exist or no free number was found.
bool MakeNumberedBackupPath(const std::wstring& source,
                            const std::wstring& preferred_folder,
                            bool* is_directory,
                            std::wstring* backup_path);

// A free name "pelican_setup_<0..32766>" in the system temporary folder when that lies on the
// volume of `reference_path`, else inside `reference_path` itself. Up to 50 random tries.
// The caller creates the folder.
bool MakeFreeTempFolderPath(const std::wstring& reference_path, std::wstring* folder);

// Removes `program_path` from the current firewall profile's authorised applications through
// the firewall manager object. Silent: every failure ends the step. Nothing happens when
// either argument is empty (`name` is only tested for presence).
void RemoveFirewallAuthorization(const std::wstring& program_path, const std::wstring& name);

// Replaces every `pattern` in `text`, resuming the search after each inserted replacement;
// returns the number of replacements. An empty pattern replaces nothing.
int ReplaceAll(std::wstring* text, const std::wstring& pattern, const std::wstring& replacement);

// A shell folder by CSIDL, without a trailing separator; empty when it cannot be read.
std::wstring GetShellFolderPath(int csidl);

// Drive root of `path` ("C:\" or "\\server\share\"); false when it has none.
bool GetPathRoot(const std::wstring& path, std::wstring* root);

}  // namespace setup_util

// Taking apart the process's command line the way the system hands it over.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// The argument text: the command line without the program's own path (quoted or not)
// and the blanks after it.
std::string ArgumentsOf(std::string_view commandLine);

// The folder part of a program path, without a trailing separator except at a drive
// root ("C:\").
std::string FolderOf(std::string_view programPath);

}  // namespace fw

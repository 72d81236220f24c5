// What the walk makes of a member's stored name: whether the selection pattern takes it,
// and the path below the target folder that it is written to.
#pragma once

#include <string>

// Wildcard match of the whole name against the whole pattern ("*" any run, "?" one
// character, both matching "\" too), ignoring the case of ASCII letters. An empty pattern
// and exactly "*.*" select every name.
bool MatchesSelection(const char* pattern, const char* storedName);

// The stored name as a path below the target folder ("\" separated). Whatever could lead
// elsewhere is rewritten: "." and ".." components (and others that Windows reads as such,
// with trailing dots or spaces) and empty ones are dropped, a drive prefix is dropped,
// characters Windows forbids in names become "_", device names get a "_" before them.
// A folder entry (ending with "\") keeps its trailing "\". With flat set, only the part
// after the last "/", ":" or "\" is kept. A file whose name leaves nothing becomes "_".
std::string SafeMemberPath(const char* storedName, bool flat);

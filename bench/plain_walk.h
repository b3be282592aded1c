// The platform's floor: a breadth-first FindFirstFileA/FindNextFileA listing
// of a tree, with nothing done per entry but counting.
#pragma once
#include <string>

#include "sparse_tree.h"

TreeCounts PlainWalk(const std::string& root);

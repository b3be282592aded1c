// Whether a folder meets a set of criteria: a size test on one size column,
// a test of its name against a pattern list and a test of one of its times.
// Matching only reads; it runs while painting rows and in the find worker.
#pragma once
#include <cstdint>

#include "criteria/criteria_settings.h"

struct FolderNode;

// The node's value of size column |columnId| in the size measure in force;
// -1 while it is still being counted, for other columns and invalid nodes.
double MeasureValue(const FolderNode* node, uint32_t columnId);

// True when |node| passes every test that is on.  The top node never does.
bool MatchFolder(const CriteriaSettings& settings, const CriteriaPrepared& prepared, FolderNode* node);

// |name| against a ";"-separated list of "*" and "?" patterns; both upper
// case already.  A list without any element matches nothing.
bool NameMatchesPatternList(const char* name, const char* patterns);

// ASCII letters only, stepping over the trail bytes of double-byte characters.
void UpperCaseAscii(char* text);

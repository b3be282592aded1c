#include "criteria/criteria_settings.h"

CriteriaSettings WorkingCriteria = {};
CriteriaPrepared WorkingPrepared = {};

// The shipped models' rows, found by their model code.
#pragma once

#include <stdexcept>

#include "rules/supplies.h"

inline const SupplyModel& ShippedModel(int code) {
    for (const SupplyModel& model : kSupplyModels)
        if (model.ModelCode == code) return model;
    throw std::invalid_argument("no shipped model has this code");
}

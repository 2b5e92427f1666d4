#include "SimTypes.h"

const char* modelName(SimModel model)
{
    return model == SimModel::Modern ? "modern" : "legacy";
}

const char* modeName(SimMode mode)
{
    switch (mode) {
    case SimMode::Inspection: return "inspection";
    case SimMode::FireService: return "fire";
    case SimMode::Attendant: return "attendant";
    case SimMode::Locked: return "locked";
    case SimMode::Independent: return "independent";
    case SimMode::Overload: return "overload";
    case SimMode::FullLoad: return "full";
    }
    return "";
}

bool parseMode(const QString& text, SimMode* mode)
{
    static const SimMode all[] = {SimMode::Inspection, SimMode::FireService, SimMode::Attendant, SimMode::Locked,
                                  SimMode::Independent, SimMode::Overload, SimMode::FullLoad};
    for (SimMode m : all) {
        if (text.compare(QLatin1String(modeName(m)), Qt::CaseInsensitive) == 0) {
            *mode = m;
            return true;
        }
    }
    return false;
}

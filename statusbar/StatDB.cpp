// Database panels: the navigator's dataset information written into the panels whose
// style is one of the database styles.
#include <cmath>

#include "korin/statusbar/Statbar.h"

namespace korin {

const std::string& DataSetStateName(TDataSetState State)
{
    static const std::string names[] = {"Inactive",   "Browse",   "Edit",      "Insert",    "SetKey",
                                        "CalcFields", "Filter",   "NewValue",  "OldValue",  "CurValue",
                                        "BlockRead",  "InternalCalc", "Opening"};
    static const std::string none;
    int i = static_cast<int>(State);
    return i >= 0 && i < 13 ? names[i] : none;
}

int RatioPercent(int Total, int Part)
{
    if (Total == 0 || Part == 0)
        return 0;
    return static_cast<int>(std::nearbyint(static_cast<double>(Part) / Total * 100.0));
}

void TCustomKStatusBar::SetDBInfo(const TDBInfo& DBInfo)
{
    bool isNew = DBInfo.RecNo <= -1;
    std::string recText = std::to_string(DBInfo.RecNo) + "/" + std::to_string(DBInfo.RecordCount);
    for (int i = 0; i < FPanels->Count(); ++i) {
        TKStatusPanel* p = FPanels->GetItem(i);
        switch (p->Style()) {
        case psDBName:
            p->SetText(DBInfo.DataSetName);
            break;
        case psDBState:
            p->SetText(DataSetStateName(DBInfo.State));
            break;
        case psDBNameState:
            p->SetText(DBInfo.DataSetName + "-" + DataSetStateName(DBInfo.State));
            break;
        case psDBRecNum:
            p->SetText(isNew ? "New" : recText);
            break;
        case psDBPercent:
            p->SetText(isNew ? "100%" : PercentText(0, DBInfo.RecordCount, DBInfo.RecNo));
            break;
        case psDBProgress:
            p->FMin = 0;
            p->FMax = 100;
            p->SetPosition(isNew ? 100 : RatioPercent(DBInfo.RecordCount, DBInfo.RecNo));
            break;
        case psDBProgressRecNum:
            p->FMin = 0;
            p->FMax = 100;
            p->FPosition = isNew ? 100 : RatioPercent(DBInfo.RecordCount, DBInfo.RecNo);
            p->SetText(isNew ? "New" : recText);
            break;
        case psDBProgressPercent:
            p->FMin = 0;
            p->FMax = 100;
            p->FPosition = isNew ? 100 : RatioPercent(DBInfo.RecordCount, DBInfo.RecNo);
            p->SetText(isNew ? "100%" : PercentText(0, DBInfo.RecordCount, DBInfo.RecNo));
            break;
        default:
            break;
        }
    }
}

}  // namespace korin

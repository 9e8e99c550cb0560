#include "res/dialog_template.h"

// Kept apart from the tables so that each table can live beside its kind of window.
const DialogTemplate* FindTemplate(int id)
{
    switch (id) {
    case 100:
        return &AboutTemplate();
    case 102:
        return &MainTemplate();
    case 129:
        return &ProfibusTemplate();
    case 130:
        return &DeviceNetTemplate();
    case 132:
        return &InfoTemplate();
    case 140:
        return &VersionTemplate();
    case 141:
        return &ProfinetTemplate();
    case 143:
        return &EtherNetIpTemplate();
    case 144:
        return &ModbusTcpTemplate();
    default:
        return nullptr;
    }
}

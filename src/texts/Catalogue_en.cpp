// English user texts, in catalogue order. Entry numbers are fixed: entries
// that nothing shows (8, 103) keep their places so that later numbers hold.
#include "texts/Catalogue.h"

namespace texts::en {
const char* const Table[kTextCount] = {
    "Version 3.16 ", // 0
    "    Relevé imprimé par le moniteur de chargeur", // 1
    "Zephyral", // 2
    "    Zephyral Loaders Software", // 3
    "Zephyral charger monitor over a serial port", // 4
    "Zephyral Loaders Software", // 5
    "System", // 6
    "Change Loader", // 7
    "Pack History", // 8
    "Exit", // 9
    "Communication", // 10
    "Datas", // 11
    "Clear", // 12
    "Memories", // 13
    "Clear", // 14
    "Help", // 15
    "About ...", // 16
    "Error while opening serial driver COM1", // 17
    "No COM1 port", // 18
    "Serial port COM1 opened ", // 19
    "Closing", // 20
    "Not Opened", // 21
    "Error while opening serial driver COM2", // 22
    "No COM2 port", // 23
    "Serial port COM2 opened ", // 24
    "Error while opening serial driver COM3", // 25
    "No COM3 port", // 26
    "Serial port COM3 opened ", // 27
    "Error while opening serial driver COM4", // 28
    "No COM4 port", // 29
    "Serial port COM4 opened ", // 30
    "Error while opening serial driver COM5", // 31
    "No COM5 port", // 32
    "Serial port COM5 opened ", // 33
    "Error while opening serial driver COM6", // 34
    "No COM6 port", // 35
    "Serial port COM6 opened ", // 36
    "Pack 1 - Datas", // 37
    "Pack 2 - Datas", // 38
    "Pack Datas", // 39
    "Pack", // 40
    "Reference", // 41
    "Type", // 42
    "Cells", // 43
    "Delta Peak", // 44
    "Res.", // 45
    "Capacity", // 46
    "Cut", // 47
    "Charge", // 48
    "Discharge", // 49
    "Pack Datas File Name in Folder PACKS", // 50
    "Pack Reference (Pack File)", // 51
    "Pack Type : LiPo, NiCad, NiMh, Life ... (Pack File)", // 52
    "Pack Number of cells (Pack File)", // 53
    "Pack Delta Peak Type (Pack File)", // 54
    "Pack Resistor, Computed by Software (including cable)", // 55
    "Pack Capacity (Pack File)", // 56
    "Pack Charge Current (Pack File)", // 57
    "Pack Cut Voltage (Pack File)", // 58
    "Pack Discharge Current (Pack File)", // 59
    "Edit Pack File", // 60
    "Loader Datas", // 61
    "Power Supply", // 62
    "Temperature", // 63
    "Out 1", // 64
    "Out 2", // 65
    "Cycle", // 66
    "Loader Datas", // 67
    "Power Supply Voltage", // 68
    "Temperature reported by Sensor", // 69
    "Output on which Temperature has to be Correlated to", // 70
    "Output 1 Operation", // 71
    "Output 2 Opération", // 72
    "Cycle Number of Charge/Discharge Process", // 73
    "Out 1 - Graphical Datas", // 74
    "Out 2 - Graphical Datas", // 75
    "Time", // 76
    "Voltage (Volts)", // 77
    "Current (Amps)", // 78
    "Capacity (charged/discharged)", // 79
    "Balancer/Equalizer", // 80
    "Average = %4d mV", // 81
    "Diff Max = %4d mV", // 82
    "%d Cells", // 83
    "Mémories", // 84
    "Graphic Area for Output 1 (Click [Left/Right] to Modify Scales and Add/Remove Markers)", // 85
    "Graphic Area for Output 2 (Click [Left/Right] to Modify Scales and Add/Remove Markers)", // 86
    "Datas coming from Balancer/Equalizer (Click to switch alternatively from Numeric to Graphic)", // 87
    "Capacity Mémories for Charging/Discharging Cycles", // 88
    "Numeric/Graphic", // 89
    "[Automatic]", // 90
    "[Normal]", // 91
    "[Manual]", // 92
    "[Linear]", // 93
    "[ReFlex]", // 94
    "[CC-CV]", // 95
    "[Pack Full]", // 96
    "[Cut]", // 97
    "[Delta-Peak]", // 98
    "End", // 99
    "Error", // 100
    "Deconnection", // 101
    "Charge", // 102
    "Discharge", // 103
    "Pack not set", // 104
    "Too many datas recorded !", // 105
    "Stop", // 106
    "Delay", // 107
    "Charge", // 108
    "Discharge", // 109
    "Charge->Discharge", // 110
    "Discharge->Charge", // 111
    "Lead Battery", // 112
    "Lithium Battery", // 113
    "Zephyral (unknown version %d)", // 114
    "Zephyral (V2)", // 115
    "Zephyral (V3)", // 116
    "Out 2 operation", // 117
    "Import Previously Exported Datas", // 118
    "Export (Save) Datas", // 119
    "Zoom (Extract) Selected Datas (According to Markers)", // 120
    "Erase Datas", // 121
    "Print Graph", // 122
    "Maintenance booklet", // 123
    "Every seconds a new frame send by the loader is displayed here !", // 124
    "Serial Port COM Status", // 125
    "Date", // 126
    "Charged Capacity", // 127
    "Discharged Capacity", // 128
    "Resistor", // 129
    "Maintenance booklet", // 130
    "B", // 131
    "- none -", // 132
};
}

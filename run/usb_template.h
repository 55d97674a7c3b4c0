#pragma once

const int kUsbInfTemplateSlots = 116;
const int kUsbInfTemplateSlotSize = 255;

extern const char UsbInfTemplate[kUsbInfTemplateSlots][kUsbInfTemplateSlotSize];

#pragma once

#include <cstdint>

// What the download does differently for particular printer models. Every rule is keyed by
// model code; a code that no catalogue row carries falls under "all other models".

// Bytes per port write on a device path (USB, or a \\.\COMn name).
int DevicePathBlockSize(int32_t modelCode);
// The six-byte image header is put in front of images that lack it.
bool NeedsImageHeader(int32_t modelCode);
// The printer is asked for its firmware version and FPGA type before the image is sent.
bool NeedsCompatibilityCheck(int32_t modelCode);
// Milliseconds between two steps of the progress bar once the image has been sent.
uint32_t SettleTickMs(int32_t modelCode);
// Where the progress bar stands after the image has gone out over TCP.
int ProgressAfterTcpSend(int32_t modelCode);
// The end of the download is told by a text message instead of the picture notice.
bool NoticeIsTextMessage(int32_t modelCode);
// The firmware comes as HEX or S-record text and is converted before it is sent.
bool IsHexModel(int32_t modelCode);
// The file dialog's filter for the model's firmware files.
const char* FirmwareFileFilter(int32_t modelCode);
// The bitmap resource of the model's picture.
int ModelPictureId(int32_t modelCode);

// Reading the basic settings from the unit into the settings table and saving them back:
// two 256-byte pages, one request at a time, each page requested or sent only after the
// previous reply was handled.
#pragma once

#include "link/frame.h"
#include "link/request.h"

namespace zc {

class SettingsModel;

class TBasicInf : public Tsend_rec_command
{
public:
    TBasicInf(SettingsModel &model, const LinkContext &link) : m_model(model), m_link(link) {}

    // "Read Settings": reads both pages (the page asks the user first).
    void Read();
    // "Save Settings": encodes and sends both pages.
    void Save();

    void RequestNextSettingsPage();
    // Decodes the reply held in address/data (page 1 at 0, page 2 at 0x100), then asks for the next page.
    void DecodeSettingsPage();
    void SendNextSettingsPage();
    // Encodes page 1 or 2 into the data buffer; on a bad number item shows why and returns false.
    bool EncodeSettingsPage(int page);

private:
    SettingsModel &m_model;
    LinkContext m_link;
};

} // namespace zc

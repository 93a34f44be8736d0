#pragma once

#include "package/PackageRecords.h"
#include "package/SetupCVNZip.h"
#include "ui/Form.h"

#include <functional>
#include <memory>
#include <string>

namespace cvn {

// The small window shown while start-up unpacks its support files: the "LOADER"
// picture with the window title and a please-wait message in white over it. It owns
// the archive reader of the two extraction passes and keeps itself painted while a
// pass runs. It cannot be closed by the user.
class TfrmSetupLoader : public TForm {
public:
    static constexpr int kClientWidth = 300;
    static constexpr int kClientHeight = 110;

    TfrmSetupLoader() = default;
    ~TfrmSetupLoader() override;

    // Creates the (hidden) window, owned by the application window.
    bool CreateLoader();
    // The setup font's face and character set (null: the window's own font), always
    // white, bold, 8 points.
    void SetLabelFont(const TFontRecord* setupFont);
    void SetTexts(const std::string& title, const std::string& message);
    // Shows the window and paints it at once.
    void ShowNow();

    TSetupCVNZip& Archive() { return *cvnZip_; }
    // The start-up's choice for each member (id; var target; var extract); unset:
    // every member is skipped.
    std::function<void(int32_t memberId, std::string& target, bool& extract)> OnSupportFile;

    // OnRestoreFile of the archive reader.
    void cvnZipFileRestoreFile(int32_t memberId, std::string& target, bool& extract, int32_t dosDateTime,
                               int32_t& ownerValue);

    const TLabel& TitleLabel() const { return *lblTitle_; }
    const TLabel& MessageLabel() const { return *lblMessage_; }

protected:
    void FormCreate() override;
    void FormDestroy() override;
    void FormCloseQuery(bool& canClose) override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void ArchiveBlockDone();

    std::unique_ptr<TSetupCVNZip> cvnZip_;
    GdiObject loaderBitmap_;
    TImage* imlLoader_ = nullptr;
    TLabel* lblTitle_ = nullptr;
    TLabel* lblMessage_ = nullptr;
};

} // namespace cvn

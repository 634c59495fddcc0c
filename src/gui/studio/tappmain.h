// The script editor main window ("Tallyra Studio"): a file main window whose
// children are script windows. Checking, colouring, templates and the
// Script and Data menus join it in later layers.
#pragma once

#include "tappedit.h"

namespace tallyra::gui {

class TChldEdit_Form;

class TAppMain_Form : public TAppEdit_Form {
public:
    explicit TAppMain_Form(QWidget* parent = nullptr);
    ~TAppMain_Form() override;

    std::string AppInfo(int index) const override;
    std::string OpenFilter() const override;
    std::string OpenDefaultExt() const override { return "slo"; }
    std::string ExportFilter() const override;
    std::string ExportDefaultExt() const override { return "sps"; }

protected:
    TChldGen_Form* CreateChild() override;
};

}  // namespace tallyra::gui

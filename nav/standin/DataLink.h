#pragma once
// TEMPORARY stand-in for the platform's data-access layer (platform/db/DB.h), used only
// until that header lands; see nav/NavPlatform.h. Just the shapes the navigator's data link
// uses: a dataset, a data source naming it, and a link that hears of changes.
#include <vector>

#include "platform/core/Component.h"

class TDataSet : public TComponent {
public:
    using TComponent::TComponent;
    bool ControlsDisabled() const { return false; }
};

class TDataLink;

class TDataSource : public TComponent {
public:
    using TComponent::TComponent;
    ~TDataSource() override;
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value) { FDataSet = Value; }

private:
    friend class TDataLink;
    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FLinks;
};

class TDataLink : public TObject {
public:
    TDataLink() = default;
    ~TDataLink() override;
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }

protected:
    friend class TDataSource;
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int Distance) {}
    virtual void EditingChanged() {}

private:
    TDataSource* FDataSource = nullptr;
    bool FVisualControl = false;
};

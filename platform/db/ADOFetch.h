#pragma once
// Inside the server datasets: the checks a fetch makes after every call that may have
// run the application's code, and the busy mark of a batch being read.
#include <memory>
#include <string>

#include "korin/platform/db/ADODB.h"

namespace korin {

// What a fetch checks after every call that may have run the application's code (the
// progress handler, the wait procedure, the controls, a statement during which the
// application had its turns): the dataset or its connection may have been freed
// meanwhile, or the dataset closed. Nothing of a freed object is touched after that.
struct TCustomADODataSet::TFetchGuard {
    TCustomADODataSet* DataSet;
    TADOConnection* Conn;
    std::shared_ptr<bool> DataSetAlive;
    std::shared_ptr<bool> ConnAlive;
    TFetchGuard(TCustomADODataSet* D, TADOConnection* C)
        : DataSet(D), Conn(C), DataSetAlive(D->FAlive), ConnAlive(C->AliveToken())
    {
    }
    void Check() const
    {
        if (!*DataSetAlive)
            throw EDataSetFreed("The dataset was freed while its records were being read");
        if (!*ConnAlive)
            throw EDatabaseError("The connection was freed while records were being read");
        if (DataSet->FAbandon)
            throw EDatabaseError("The dataset was closed while its records were being read");
    }
    // Runs a statement of the fetch, then checks.
    TPGResult Run(const std::string& SQL, const TPGParams& Params = {}) const
    {
        TPGResult r = Conn->Run(SQL, Params);
        Check();
        return r;
    }
    // The transaction ends with the cursor in it, whoever asked to stop.
    void RollBack() const
    {
        if (*ConnAlive && Conn->Connected()) {
            try {
                Conn->Run("ROLLBACK");
            } catch (...) {
            }
        }
    }
};

// While a batch is read the connection takes no other statement.
struct TCustomADODataSet::TFetchBusy {
    const TFetchGuard& G;
    explicit TFetchBusy(const TFetchGuard& AG) : G(AG)
    {
        G.Conn->SetBusy(true);
        G.DataSet->FFetching = true;
        G.DataSet->FAbandon = false;
    }
    ~TFetchBusy()
    {
        if (*G.ConnAlive)
            G.Conn->SetBusy(false);
        if (*G.DataSetAlive)
            G.DataSet->FFetching = false;
    }
};

}  // namespace korin

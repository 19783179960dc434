#pragma once
// Test fixture: a fresh program folder (SOTRIX_HOME) holding a copy of the delivered
// database, a fresh shared state and a scripted prompter.

#include "ScriptedPrompter.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace sotrix::test {

// The delivered database built by the project.
QString deliveredDatabase();

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program folder and a file in it.
    QString home() const { return dir_->path(); }
    QString path(const QString& name) const;
    // Writes a row of defaults into Options with the update check off.
    void addDefaultOptions();
    // Loads the settings into state() (as the start-up does).
    void loadOptions();

    std::shared_ptr<ScriptedPrompter> prompts;
    // Whether SetUp copies the delivered database and writes the Options row.
    bool withDatabase_ = true;
    bool withOptions_ = true;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString savedCwd_;
};

}  // namespace sotrix::test

#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/Desktop.h"

// Answers from queues the test fills, and a record of every box shown.
class ScriptedDesktop final : public Desktop {
public:
    struct Box {
        QString text;
        bool question;
        Icon icon;
    };

    void Tell(const QString& text, Icon icon) override { boxes.push_back({text, false, icon}); }

    bool AskYesNo(const QString& text) override { return Ask(text); }

    bool Ask(const QString& text) override {
        boxes.push_back({text, true, Icon::None});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString ChooseFileToOpen(const QString& filter) override {
        openFilter = filter;
        return NextFile();
    }

    QString ChooseFileToSave(const QString& filter, const QString& defaultSuffix) override {
        saveFilter = filter;
        saveSuffix = defaultSuffix;
        return NextFile();
    }

    bool ShowHelp(const QString& file, int topic) override {
        helpFile = file;
        helpTopic = topic;
        return helpStarts;
    }

    QStringList Texts() const {
        QStringList texts;
        for (const Box& box : boxes) {
            texts << box.text;
        }
        return texts;
    }

    std::vector<Box> boxes;
    std::deque<bool> answers;
    std::deque<QString> files;  // an empty string is a cancelled dialog
    QString openFilter, saveFilter, saveSuffix;
    QString helpFile;
    int helpTopic = 0;
    bool helpStarts = true;

private:
    QString NextFile() {
        if (files.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return {};
        }
        QString file = files.front();
        files.pop_front();
        return file;
    }
};

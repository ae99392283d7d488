#pragma once
// The writing half of Update All as the editor hands it over: the lists collected under the
// user's field selection and the files to write them to.

#include "batch/update_all.h"

#include <string>
#include <vector>

class QWidget;

namespace corvane {

class Prompter;

// The loop tests each file's access and asks through prompter whether to go on when one cannot
// be written.
struct UpdateAllJob {
    QWidget* parent = nullptr;
    std::string folder;  // ends with "/"
    std::vector<std::string> names;
    batch::UpdateAllPlan plan;  // plan.compact is the state of "Compact ID3v2 Tag"
    Prompter* prompter = nullptr;
};

}  // namespace corvane

#pragma once
// The message library's progress message: a fraction of the work done and a queue of
// step records.  The user interface derives from it and shows the progress.

#include <QString>

#include <deque>

namespace pmMsg {

class Message_ProgressBarIndicator
{
public:
    struct Step
    {
        QString name = QStringLiteral("Step");
        double first = 0;
        double second = 100;
        double third = 1;
        bool flag = false;
        double fourth = 0;
        double fifth = 1;
    };

    Message_ProgressBarIndicator() { steps.emplace_back(); }
    virtual ~Message_ProgressBarIndicator() = default;

    virtual void reset()
    {
        progress = 0;
        steps.clear();
        steps.emplace_back();
    }
    virtual bool user_break() { return false; }
    virtual bool show(bool withText) = 0;

    // Writes the four values into the first step; its name and further values stay.
    void set_current_step(double first, double second, double third, bool flag)
    {
        Step& step = steps.front();
        step.first = first;
        step.second = second;
        step.third = third;
        step.flag = flag;
    }

    // Fraction of the work done, 0 to 1.
    double progress = 0;
    std::deque<Step> steps;
};

} // namespace pmMsg

#pragma once
// The preferences store: 73 numbered settings, each of one value type, kept in an INI
// file and announced through optionChanged() when a writer asks for it.  Also holds
// named flags outside the catalogue (getBool/setBool).

#include <QObject>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace Vexil {

enum PM_SETTING {
    PM_DEFAULT_FOLDER = 0,
    PM_TEMP_FOLDER = 1,
    PM_COMPRESSION_LEVEL = 2,
    PM_LANGUAGE = 3,
    PM_PELMORA_LOGO = 4,
    PM_SIGNIFICANT_DIGITS = 5,
    PM_RECENT_FILES = 6,
    PM_BETA_OPTIONS = 7,
    PM_UNIT_SYSTEM = 8,
    PM_ANGULAR_VELOCITY_UNIT = 9,
    PM_ANGLE_UNIT = 10,
    PM_TEMPERATURE_UNIT = 11,
    PM_DISPLAY_LOG = 12,
    PM_DISPLAY_WARNINGS = 13,
    PM_DISPLAY_ERRORS = 14,
    PM_COLOR_NORMAL_MESSAGE = 15,
    PM_COLOR_LOG_MESSAGE = 16,
    PM_COLOR_WARNING = 17,
    PM_COLOR_ERROR = 18,
    PM_AUTO_SCROLL = 19,
    PM_SHOW_AXES = 20,
    PM_AXES_SIZE = 21,
    PM_SHOW_LOGO = 22,
    PM_LOGO_COLOR = 23,
    PM_RULER_COLOR = 24,
    PM_SHOW_RULER = 25,
    PM_ANTI_ALIASING = 26,
    PM_CAMERA_TYPE = 27,
    PM_ENABLE_PRESELECTION = 28,
    PM_PRESELECTION_COLOR = 29,
    PM_ENABLE_SELECTION = 30,
    PM_SELECTION_COLOR = 31,
    PM_PICK_RADIUS = 32,
    PM_BACKGROUND_MODE = 33,
    PM_BACKGROUND_COLOR = 34,
    PM_GRADIENT_START_COLOR = 35,
    PM_GRADIENT_END_COLOR = 36,
    PM_GRADIENT_MIDDLE_COLOR = 37,
    PM_GRADIENT_USE_MIDDLE = 38,
    PM_CONTACT_TYPE = 39,
    PM_CONTACT_BEHAVIOR = 40,
    PM_CONTACT_FORMULATION = 41,
    PM_CONVERGENCE_TARGET_CHANGE = 42,
    PM_CONVERGENCE_ALLOWABLE_CHANGE = 43,
    PM_MAX_MODES = 44,
    PM_LIMIT_SEARCH_TO_RANGE = 45,
    PM_MIN_RANGE = 46,
    PM_MAX_RANGE = 47,
    PM_CYCLIC_PHASE_STEPS = 48,
    PM_MAX_ANNOTATIONS = 49,
    PM_SHOW_MIN_ANNOTATION = 50,
    PM_SHOW_MAX_ANNOTATION = 51,
    PM_CONTOUR_OPTION = 52,
    PM_FLAT_CONTOUR_TOLERANCE = 53,
    PM_EDGE_OPTION = 54,
    PM_MESH_VISIBILITY = 55,
    PM_SAVE_BEFORE_SOLUTION = 56,
    PM_SAVE_AFTER_SOLUTION = 57,
    PM_CHART_WIDTH = 58,
    PM_CHART_HEIGHT = 59,
    PM_GRAPHICS_WIDTH = 60,
    PM_GRAPHICS_HEIGHT = 61,
    PM_GRAPHICS_RESOLUTION = 62,
    PM_MAX_TABLE_COLUMNS = 63,
    PM_INCLUDE_FIGURES = 64,
    PM_REPORT_GENERATOR_FOLDER = 65,
    PM_INPUT_FILE_FORMAT = 66,
    PM_SOLVER_TYPE = 67,
    PM_EXECUTABLE_FOLDER = 68,
    PM_NGSOLVE_EXECUTABLE = 69,
    PM_STRESS_AND_STRAIN = 70,
    PM_NODAL_FORCES = 71,
    PM_CALCULATE_REACTIONS = 72,
    PM_SETTING_COUNT = 73
};

// The entries of the anti-aliasing list, in its order.
enum AntiAliasingType {
    AA_NONE = 0,
    AA_AUTO = 1,
    AA_MSAA2X = 2,
    AA_MSAA4X = 3,
    AA_MSAA8X = 4,
    AA_MSAA16X = 5
};

enum class SettingType { Text, Int, UInt, Double, Bool };

class PreferenceManager : public QObject
{
    Q_OBJECT
public:
    // Keeps its values in the INI file `fileName` (created on first write).
    explicit PreferenceManager(const QString& fileName, QObject* parent = nullptr);
    ~PreferenceManager() override;

    static SettingType typeOf(PM_SETTING id);
    // Whether the preference pages ask for a notification when they write this id.
    static bool notifies(PM_SETTING id);
    static bool isValid(int id) { return id >= 0 && id < PM_SETTING_COUNT; }

    QString getString(PM_SETTING id) const;
    int getInt(PM_SETTING id) const;           // boolean settings read as 0 or 1
    unsigned int getUInt(PM_SETTING id) const;
    double getDouble(PM_SETTING id) const;
    bool isOn(PM_SETTING id) const;

    void set(PM_SETTING id, const QString& value, bool notify);
    void set(PM_SETTING id, const char* value, bool notify) { set(id, QString::fromUtf8(value), notify); }
    void set(PM_SETTING id, double value, bool notify);
    void set(PM_SETTING id, unsigned int value, bool notify);
    void set(PM_SETTING id, int value, bool notify);
    void set(PM_SETTING id, bool value, bool notify);

    void reset();
    void getFileAndType(std::string& file, QSettings::Format& format) const;
    // "Auto" asks for the largest count the graphics offers, as the query set below
    // answers it (0 without one).
    int getNumSamplesByType(AntiAliasingType type) const;
    static void setMultiSampleLimitQuery(std::function<int()> query);
    // A write waits for the lock beside the file another program holds by trying it
    // `retries` more times (`retriesInARun` after a write that gave up), with `pause`
    // (5 ms when empty) between: tests count the tries instead of waiting.
    static void setLockWait(int retries, int retriesInARun, std::function<void()> pause);

    bool getBool(const QString& group, const QString& name, bool defaultValue) const;
    void setBool(const QString& group, const QString& name, bool value);

    QString fileName() const;

Q_SIGNALS:
    void optionChanged(Vexil::PM_SETTING id);
    // The settings file could not be written; raised once until a write succeeds again.
    // The change is kept and written with the next write that can be made.
    void saveFailed(const QString& fileName);

private:
    void store(PM_SETTING id, const QVariant& value, bool notify);
    QVariant value(PM_SETTING id) const;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Vexil

Q_DECLARE_METATYPE(Vexil::PM_SETTING)

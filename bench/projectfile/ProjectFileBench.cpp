// Saving a project to its project file and opening it again, against writing and reading
// the same objects' properties with QDataStream and building the objects from them.
#include <benchmark/benchmark.h>

#include <obj/Application.h>

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>

namespace {

// One application logic for the program, in a temporary home.
struct Logic
{
    QTemporaryDir dir;
    std::unique_ptr<Obj::Application> app;
    char name[8] = "bench";
    char* argv[2] = {name, nullptr};
    Logic()
    {
        app = std::make_unique<Obj::Application>(
            1, argv, std::map<std::string, std::string>{{"UserAppData", dir.filePath("data").toStdString()}});
    }
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
};

Logic& logic()
{
    static Logic instance;
    return instance;
}

void fill(Obj::Application& app, int count)
{
    app.close_all_projects();
    Obj::Project* project = app.create_project("Bench", "Bench");
    for (int i = 0; i < count; ++i) {
        Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Part");
        static_cast<Obj::PropertyDecimal*>(object->add_property("Obj::PropertyDecimal", "Thickness"))
            ->set_value(0.1 * i);
    }
}

void BM_ProjectSaveOpen(benchmark::State& state)
{
    Obj::Application& app = *logic().app;
    const std::string file = logic().file("bench.pmdb");
    fill(app, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!app.save_as_file(1, file.c_str()))
            state.SkipWithError("save failed");
        app.close_all_projects();
        if (!app.resume_from_file(1, file.c_str()))
            state.SkipWithError("open failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ProjectSaveOpen_Baseline(benchmark::State& state)
{
    Obj::Application& app = *logic().app;
    const QString file = QString::fromStdString(logic().file("bench.qds"));
    fill(app, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        {
            QSaveFile out(file);
            out.open(QIODevice::WriteOnly);
            QDataStream stream(&out);
            const Obj::Project* project = app.get_projects().front();
            stream << QString::fromUtf8(project->get_name()) << quint32(project->get_num_objects());
            for (const Obj::ProjectObject* object : project->get_objects()) {
                stream << object->getObjectId() << QByteArray(object->getTypeId().get_name())
                       << QByteArray(object->get_name()) << quint32(object->get_properties().size());
                for (const Obj::Property* p : object->get_properties())
                    stream << QByteArray(p->get_name()) << QByteArray(p->getTypeId().get_name())
                           << QByteArray::fromStdString(p->get_value_text());
            }
            out.commit();
        }
        app.close_all_projects();
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        QDataStream stream(&in);
        QString projectName;
        quint32 objects = 0;
        stream >> projectName >> objects;
        Obj::Project* project = app.create_project(projectName.toUtf8().constData(), nullptr);
        for (quint32 i = 0; i < objects; ++i) {
            quint32 id = 0, count = 0;
            QByteArray type, name;
            stream >> id >> type >> name >> count;
            Obj::ProjectObject* object = project->add_object(type.constData(), name.constData());
            for (quint32 k = 0; k < count; ++k) {
                QByteArray property, propertyType, value;
                stream >> property >> propertyType >> value;
                Obj::Property* target = object->get_property_by_name(property.constData());
                if (!target)
                    target = object->add_property(propertyType.constData(), property.constData());
                if (target)
                    target->set_value_text(value.toStdString());
            }
        }
        project->set_modified(false);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_ProjectSaveOpen)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectSaveOpen_Baseline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

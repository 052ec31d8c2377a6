#include "NeuralModel.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

static QString shapeText(const std::vector<int> &shape)
{
    QStringList parts;
    for (int d : shape)
        parts << QString::number(d);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

static int dump(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const NeuralModel model = NeuralModel::fromFlatbuffer(file.readAll());
    for (const NeuralOperation &op : model.operations) {
        QStringList ins;
        for (int i : op.inputs)
            ins << (i < 0 ? QStringLiteral("-") : shapeText(model.tensors[std::size_t(i)].shape)
                        + (model.tensors[std::size_t(i)].isConstant ? QStringLiteral("c") : QString())
                        + (model.tensors[std::size_t(i)].type == NeuralTensorType::float16 ? QStringLiteral("h") : QString()));
        std::printf("%-28s pad=%d s=%d,%d f=%d,%d act=%d axis=%d ac=%d hp=%d  %s -> %s\n",
                    qPrintable(NeuralModel::kindName(op.kind)), int(op.padding), op.strideH, op.strideW, op.filterH,
                    op.filterW, int(op.activation), op.axis, op.alignCorners, op.halfPixelCenters,
                    qPrintable(ins.join(QLatin1Char(' '))),
                    qPrintable(shapeText(model.tensors[std::size_t(op.outputs[0])].shape)));
    }
    for (int i : model.inputs)
        std::printf("input %s %s\n", qPrintable(model.tensors[std::size_t(i)].name), qPrintable(shapeText(model.tensors[std::size_t(i)].shape)));
    for (int i : model.outputs)
        std::printf("output %s %s\n", qPrintable(model.tensors[std::size_t(i)].name), qPrintable(shapeText(model.tensors[std::size_t(i)].shape)));
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args[1] == QLatin1String("--dump"))
        return dump(args[2]);
    return 0;
}

#include "widgets/ChartModel.h"

namespace slx::chart {

namespace {

Group &noGroup()
{
    static Group g;
    g = Group();
    return g;
}

Series &noSeries()
{
    static Series s;
    s = Series();
    return s;
}

} // namespace

void Model::setGroupCount(int groups)
{
    m_groups.resize(qMax(0, groups));
}

void Model::setSeriesCount(int group, int series)
{
    if (group < 1 || group > m_groups.size())
        return;
    QVector<Series> &s = m_groups[group - 1].series;
    const int old = s.size();
    s.resize(qMax(0, series));
    for (int i = old; i < s.size(); ++i)
        s[i].values = QVector<double>(m_points, m_hole);
}

int Model::seriesCount(int group) const
{
    return group < 1 || group > m_groups.size() ? 0 : m_groups[group - 1].series.size();
}

void Model::setPointCount(int points)
{
    m_points = qMax(0, points);
    for (Group &g : m_groups) {
        for (Series &s : g.series) {
            const int old = s.values.size();
            s.values.resize(m_points);
            for (int i = old; i < m_points; ++i)
                s.values[i] = m_hole;
        }
    }
    while (m_pointLabels.size() < m_points)
        m_pointLabels << QString();
    while (m_pointLabels.size() > m_points)
        m_pointLabels.removeLast();
}

Group &Model::group(int group)
{
    return group < 1 || group > m_groups.size() ? noGroup() : m_groups[group - 1];
}

const Group &Model::group(int group) const
{
    return group < 1 || group > m_groups.size() ? noGroup() : m_groups[group - 1];
}

Series &Model::series(int group, int series)
{
    if (group < 1 || group > m_groups.size() || series < 1 || series > m_groups[group - 1].series.size())
        return noSeries();
    return m_groups[group - 1].series[series - 1];
}

const Series &Model::series(int group, int series) const
{
    if (group < 1 || group > m_groups.size() || series < 1 || series > m_groups[group - 1].series.size())
        return noSeries();
    return m_groups[group - 1].series[series - 1];
}

double Model::value(int group, int series, int point) const
{
    const Series &s = this->series(group, series);
    return point < 1 || point > s.values.size() ? m_hole : s.values[point - 1];
}

void Model::setValue(int group, int series, int point, double value)
{
    if (group < 1 || group > m_groups.size() || series < 1 || series > m_groups[group - 1].series.size())
        return;
    QVector<double> &v = m_groups[group - 1].series[series - 1].values;
    if (point >= 1 && point <= v.size())
        v[point - 1] = value;
}

QString Model::pointLabel(int point) const
{
    return point < 1 || point > m_pointLabels.size() ? QString() : m_pointLabels[point - 1];
}

void Model::setPointLabel(int point, const QString &text)
{
    if (point >= 1 && point <= m_pointLabels.size())
        m_pointLabels[point - 1] = text;
}

Label &Model::addLabel(const QString &name)
{
    if (Label *l = label(name))
        return *l;
    Label l;
    l.name = name;
    m_labels << l;
    return m_labels.last();
}

Label *Model::label(const QString &name)
{
    for (Label &l : m_labels)
        if (l.name == name)
            return &l;
    return nullptr;
}

const Label *Model::label(const QString &name) const
{
    for (const Label &l : m_labels)
        if (l.name == name)
            return &l;
    return nullptr;
}

double Model::xMin() const
{
    return autoX ? 0.5 : xAxis.min;
}

double Model::xMax() const
{
    return autoX ? m_points + 0.5 : xAxis.max;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            lines << current;
            current.clear();
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
        } else {
            current += c;
        }
    }
    lines << current;
    return lines;
}

} // namespace slx::chart

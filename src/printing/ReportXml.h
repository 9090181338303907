#pragma once
// Layout files of the report engine: our own XML, one or more named reports per file.
//
//   <layouts version="1">                       version: a newer embedded file replaces
//     <report name="SLX90_1" width="210" height="297" left="15" right="15" top="12"
//             bottom="12" family="DejaVu Sans" size="9">
//       <section name="PageHeader|Header|Detail|Footer|PageFooter" height="12">
//         <text name="TNSerie" x="0" y="0" width="30" height="5" text="N. Serie:"
//               column="LNumeroSerie" format="#.00|date:dd/MM/yyyy|time:hh:mm|limit"
//               grow="true" visible="false" size="8" bold="true" italic="true"
//               family="..." align="left|center|right" valign="top|middle|bottom"/>
//         <line x="0" y="5" width="180" height="0" thickness="0.3"/>
//         <box x="0" y="0" width="180" height="20" thickness="0.2" fill="true"/>
//         <picture name="Pic" x="0" y="0" width="80" height="40" file="chart.svg"/>
//         <subreport name="Esborrats" x="0" y="30" width="80" height="10">
//           <report name="Esborrats"> ... sections ... </report>
//         </subreport>
//       </section>
//     </report>
//   </layouts>
//
// Lengths are millimetres from the top left corner of the section. A text's "{Page}"
// and "{Pages}" print the page number and the page count. A sub-report takes the
// place of its box: what stands below it in the section moves down by the height its
// rows take. Pictures (SVG drawn as vectors, PNG, JPEG) are found in the layout's
// folder, ignoring letter case.

#include "base/DataFolder.h"
#include "base/Resultado.h"
#include "printing/Informe.h"

#include <QStringList>
#include <memory>

namespace slx {

// Loads the report of that name from a layout file; a failure with its description when
// the file cannot be read, is not a valid layout or lacks the report.
Resultado<std::shared_ptr<Informe>> cargaInforme(const QString &fichero, const QString &nombre);

// The names of the reports a layout file holds; fails as cargaInforme.
Resultado<QStringList> informesDe(const QString &fichero);

// The version of a layout file, 0 when it has none or cannot be read.
using DataFolder::versionDisposicion;

} // namespace slx

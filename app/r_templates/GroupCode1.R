FILESEL <- "GC1"   # the tag in the names of this template's outputs
# KVE R template: several models' predictions of the same observations.
#
# KVE writes the models ticked in the comparison window beside the R script
# file as <name>.CSV with the header "Obs","Model1","Model2",... (model k is
# the k-th ticked file; the legend in the results names the files), copies
# this template to <name>.R and runs
#     Rscript <name>.R <picture type>
# with the picture type BMP, JPG or PNG. Afterwards it opens the files
# <name>_<tag>_text*.TXT and <name>_<tag>_graph*.<type>, where <tag> is the
# quoted text of the first line (the first line that holds the word
# FILESEL names the tag). Copy this file under another
# GroupCode*.R name and change the tag to keep the outputs apart.

args <- commandArgs(trailingOnly = FALSE)
script <- sub("^--file=", "", args[grep("^--file=", args)][1])
script <- gsub("~+~", " ", script, fixed = TRUE)   # R's front end passes blanks so
base <- sub("\\.[Rr]$", "", script)
type <- toupper(commandArgs(trailingOnly = TRUE)[1])
if (is.na(type) || !(type %in% c("BMP", "JPG", "PNG"))) type <- "PNG"
output <- function(kind, extension) paste0(base, "_", FILESEL, "_", kind, "1.", extension)

cells <- read.csv(paste0(base, ".CSV"), header = TRUE, colClasses = "character")
values <- as.data.frame(lapply(cells, function(column) suppressWarnings(as.numeric(column))))
obs <- values$Obs
models <- setdiff(names(values), "Obs")
cat("Models:", length(models), " Observations:", length(obs), "\n")

line <- function(model) {
    p <- values[[model]]
    ok <- !is.na(p) & !is.na(obs)
    d <- obs[ok] - p[ok]
    sprintf("%-8s %5d %12.6g %12.6g %12.6g %12.6g", model, sum(ok), mean(d), sqrt(mean(d^2)),
            cor(p[ok], obs[ok]), 1 - sum(d^2) / sum((obs[ok] - mean(obs[ok]))^2))
}
report <- c(sprintf("%-8s %5s %12s %12s %12s %12s", "Model", "n", "Bias", "RMSE", "r", "EF"),
            vapply(models, line, character(1)))
writeLines(report, output("text", "TXT"))

# The devices read "%" in a file name as the place of the page number;
# written twice it stands for itself, so any dataset name is taken whole.
picture <- gsub("%", "%%", output("graph", type), fixed = TRUE)
switch(type,
       BMP = bmp(picture, width = 600, height = 600),
       JPG = jpeg(picture, width = 600, height = 600, quality = 90),
       PNG = png(picture, width = 600, height = 600))
limits <- range(unlist(values), finite = TRUE)
colours <- seq_along(models) + 1
plot(NA, xlim = limits, ylim = limits, xlab = "Predicted", ylab = "Observed",
     main = "Observed against predicted, by model")
for (k in seq_along(models)) points(values[[models[k]]], obs, pch = 19, col = colours[k])
abline(0, 1, lty = 2)
legend("topleft", legend = models, col = colours, pch = 19)
invisible(dev.off())
